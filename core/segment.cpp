#include "vireo/core/segment.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "vireo/core/bookkeeping.h"
#include "vireo/core/compiled_assembly.h"
#include "vireo/core/errors.h"
#include "vireo/core/output_files.h"
#include "vireo/core/text.h"
#include "vireo/core/text.h"
#include "vireo/core/writer_state.h"

namespace prjVireo {
namespace {

// Segment bytes under construction: a raw buffer kept between calls, so that
// assembling a segment allocates nothing once it has grown to the largest one.
class ByteBuffer {
public:
    char* begin() { return data_.get(); }
    std::size_t capacity() const { return capacity_; }
    // Room for `extra` more bytes at `p` (a position inside this buffer); returns
    // `p`, moved when the buffer had to grow.
    char* room(char* p, std::size_t extra) {
        if (static_cast<std::size_t>(data_.get() + capacity_ - p) >= extra) return p;
        return grow(p, extra);
    }

private:
    char* grow(char* p, std::size_t extra) {
        const std::size_t used = data_ ? static_cast<std::size_t>(p - data_.get()) : 0;
        const std::size_t capacity = std::max<std::size_t>({capacity_ * 2, used + extra, 1024});
        // realloc moves a large buffer by remapping its pages, not by copying
        // them: a segment holding a long text never holds it twice while it
        // grows for the fields after the text.
        char* bigger = static_cast<char*>(std::realloc(data_.get(), capacity));
        if (!bigger) throw std::bad_alloc();
        (void)data_.release();
        data_.reset(bigger);
        capacity_ = capacity;
        return bigger + used;
    }

    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char, Free> data_;
    std::size_t capacity_ = 0;
};

// Where a segment is assembled: room reserved in the output file's buffer, or a
// ByteBuffer. When a long text outruns the file's room, the bytes so far move to
// the ByteBuffer and assembly goes on there; the segment is then appended.
class AssemblyTarget {
public:
    explicit AssemblyTarget(ByteBuffer& own) : own_(own), base_(own.begin()), limit_(base_ + own.capacity()) {}
    AssemblyTarget(ByteBuffer& own, char* reserved, std::size_t size)
        : own_(own), base_(reserved), limit_(reserved + size), in_file_(true) {}

    char* begin() { return base_; }
    bool in_file() const { return in_file_; }
    // Room for `extra` more bytes at `p` (inside this target); returns `p`, moved
    // when the bytes had to move.
    [[gnu::always_inline]] char* room(char* p, std::size_t extra) {
        if (static_cast<std::size_t>(limit_ - p) >= extra) [[likely]] return p;
        return move(p, extra);
    }

private:
    [[gnu::noinline]] char* move(char* p, std::size_t extra) {
        const std::size_t used = base_ ? static_cast<std::size_t>(p - base_) : 0;
        char* q;
        if (in_file_) {
            q = own_.room(own_.begin(), used + extra);
            if (used) std::memcpy(q, base_, used);
            q += used;
            in_file_ = false;
        } else {
            q = own_.room(p, extra);
        }
        base_ = own_.begin();
        limit_ = base_ + own_.capacity();
        return q;
    }

    ByteBuffer& own_;
    char* base_;
    char* limit_;
    bool in_file_ = false;
};

// Room taken before the segment ID and its separator.
constexpr std::size_t kSlack = 64;

// One nesting level of the announced path: a BeforeAdd handler may call Additem
// on another object while the outer segment's body is still needed.
struct NestedScratch {
    ByteBuffer body;
    std::string value;
};

struct EmissionScratch {
    ByteBuffer direct;  // the direct path never runs host code, so one buffer serves it
    // One per nesting level in use so far; each stays where it is while more are added.
    std::vector<std::unique_ptr<NestedScratch>> nested;
    std::size_t depth = 0;
};

EmissionScratch& emission_scratch() {
    thread_local EmissionScratch scratch;
    return scratch;
}

class NestedLease {
public:
    explicit NestedLease(EmissionScratch& s) : s_(s) {
        if (s_.depth == s_.nested.size()) s_.nested.push_back(std::make_unique<NestedScratch>());
        slot_ = s_.nested[s_.depth++].get();
    }
    ~NestedLease() { --s_.depth; }
    NestedScratch& get() { return *slot_; }

private:
    EmissionScratch& s_;
    NestedScratch* slot_;
};

// The room a body may take before any long text: per field a separator (at
// most 4 bytes) and a short text or code text (copied 16 bytes at a time), and
// the separators of positions without a field.
std::size_t body_slack(const SegmentClassDescriptor& d) { return d.field_count * 24 + d.element_count * 4 + 64; }

files::OutputFile& open_file(const WriterState& ws) {
    files::OutputFile* f = files::find(ws.file_number);
    if (!f) throw VbError(vbErrBadFileNameOrNumber, "no output file is open");
    return *f;
}

void write_text(files::OutputFile& f, std::string_view utf8) {
    if (text::is_ascii(utf8)) {
        f.append(utf8);
        return;
    }
    thread_local std::string converted;
    converted.clear();
    text::append_ansi(converted, utf8);
    f.append(converted);
}

// After a write: with errors trapped, a failed buffer flush is reported now.
void check_written(bool trap, files::OutputFile& f) {
    if (trap && f.pending_error()) f.raise_pending();
}

std::int32_t checked_increment(std::int32_t count) {
    if (count == std::numeric_limits<std::int32_t>::max()) {
        throw VbError(vbErrOverflow, "segment count");
    }
    return count + 1;
}

inline bool field_present(const SegmentObject& obj, const FieldDescriptor& f) {
    switch (f.kind) {
        case FieldKind::Code:
            // A code component counts when its text is not empty; a code element
            // when its text compares greater than " ".
            return f.component ? obj.code(f) != 0 : code_is_present(obj.code(f));
        case FieldKind::Text:
        case FieldKind::Fixed: return !obj.text(f).empty();
        case FieldKind::Unwritten: return false;
    }
    return false;
}

// End of the run of fields that form the element starting at `f`.
inline const FieldDescriptor* element_end(const FieldDescriptor* f, const FieldDescriptor* end) {
    const FieldDescriptor* g = f + 1;
    while (g != end && g->element == f->element) ++g;
    return g;
}

inline char* put_bytes(char* p, std::string_view bytes) {
    if (bytes.size() == 1) {
        *p = bytes[0];
        return p + 1;
    }
    std::memcpy(p, bytes.data(), bytes.size());
    return p + bytes.size();
}

// Assembles a segment's body from its fields into a ByteBuffer, in one of two
// encodings: with Ansi the bytes as written to the file (Windows-1252), without
// it the UTF-8 text that BeforeAdd receives. The rules are the same; only the
// encoding of text, code text and delimiters differs.
template <bool Ansi>
class BodyAssembler {
public:
    BodyAssembler(const SegmentObject& obj, AssemblyTarget& buffer, std::string_view separator,
                  std::string_view component_separator)
        : obj_(obj),
          buffer_(buffer),
          sep_(separator),
          comp_(component_separator),
          slack_(body_slack(obj.descriptor())) {}

    // Appends the body of `obj` (without the terminator) at `p`; returns its end.
    char* body(char* p) {
        const SegmentClassDescriptor& d = obj_.descriptor();
        const FieldDescriptor* begin = d.fields;
        const FieldDescriptor* end = begin + d.field_count;
        // Positions kept across a call that may grow the buffer are offsets.
        p = buffer_.room(p, slack_);
        const std::size_t start = offset(p);
        switch (d.assembly) {
            case Assembly::Common: {
                // The last present position: a composite counts when any component
                // does. Searched from the end, where the absent elements usually are.
                int last = 0;
                for (const FieldDescriptor* f = end; f != begin;) {
                    --f;
                    if (field_present(obj_, *f)) {
                        last = f->element;
                        break;
                    }
                }
                int written = 0;  // separators written so far
                for (const FieldDescriptor* f = begin; f != end && f->element <= last;) {
                    const FieldDescriptor* next = element_end(f, end);
                    for (; written < f->element - 1; ++written) p = put_bytes(p, sep_);
                    if (f->component == 0) {
                        p = element(p, *f);
                    } else {
                        // A composite up to the last present element is written even when empty.
                        composite(p, f, next);
                    }
                    f = next;
                }
                break;
            }
            case Assembly::AllElements:
            case Assembly::Interchange:
            case Assembly::Trailer: {
                for (const FieldDescriptor* f = begin; f != end; ++f) {
                    if (f != begin) p = put_bytes(p, sep_);
                    p = field(p, *f);
                }
                break;
            }
            case Assembly::PackedComposites: {
                // Non-empty composites one after another, then the plain elements up
                // to the last present one, following directly.
                int last = 0;
                for (const FieldDescriptor* f = begin; f != end; ++f) {
                    if (f->component == 0 && f->element > last && field_present(obj_, *f)) last = f->element;
                }
                bool first = true;
                for (const FieldDescriptor* f = begin; f != end;) {
                    const FieldDescriptor* next = element_end(f, end);
                    if (f->component != 0) {
                        const std::size_t mark = offset(p);
                        if (!first) p = put_bytes(p, sep_);
                        if (composite(p, f, next)) {
                            first = false;
                        } else {
                            p = at(mark);
                        }
                    } else if (f->element <= last) {
                        if (!first) p = put_bytes(p, sep_);
                        first = false;
                        p = element(p, *f);
                    }
                    f = next;
                }
                break;
            }
        }
        // The element text loses its trailing data element separators.
        if (sep_.size() == 1) {
            const char c = sep_[0];
            while (offset(p) > start && p[-1] == c) --p;
        } else {
            while (!sep_.empty() && offset(p) - start >= sep_.size() &&
                   std::memcmp(p - sep_.size(), sep_.data(), sep_.size()) == 0) {
                p -= sep_.size();
            }
        }
        return p;
    }

private:
    std::size_t offset(const char* p) { return static_cast<std::size_t>(p - buffer_.begin()); }
    char* at(std::size_t offset) { return buffer_.begin() + offset; }

    // A plain element before the last present one: an absent element is an
    // empty position, so a code whose text is not above " " writes nothing.
    char* element(char* p, const FieldDescriptor& f) {
        if (f.kind == FieldKind::Code && !code_is_present(obj_.code(f))) return p;
        return field(p, f);
    }

    // A field's written text.
    char* field(char* p, const FieldDescriptor& f) {
        switch (f.kind) {
            case FieldKind::Code: return code(p, obj_.code(f));
            case FieldKind::Text: return text(p, obj_.text(f));
            case FieldKind::Fixed: return fixed(p, obj_.text(f), f.width);
            case FieldKind::Unwritten: break;
        }
        return p;
    }

    // The joined composite made of fields [first, last), trailing empty
    // components dropped; returns whether anything was written.
    bool composite(char*& p, const FieldDescriptor* first, const FieldDescriptor* last) {
        // Trailing empty components are dropped: the composite ends with its last
        // component that writes anything (a text that is not empty, a code that
        // is not 0), found from the end.
        while (last != first && !writes_something(last[-1])) --last;
        if (last == first) return false;
        for (const FieldDescriptor* f = first; f != last; ++f) {
            if (f->kind == FieldKind::Unwritten) continue;
            if (f != first) p = put_bytes(p, comp_);
            p = field(p, *f);
        }
        return true;
    }

    bool writes_something(const FieldDescriptor& f) const {
        switch (f.kind) {
            case FieldKind::Code: return obj_.code(f) != 0;
            case FieldKind::Text: return !obj_.text(f).empty();
            case FieldKind::Fixed: return f.width != 0;
            case FieldKind::Unwritten: return false;
        }
        return false;
    }

    // The code text of a code (CodeToString): in file bytes, or each character
    // above ASCII in UTF-8. The room for its at most 12 bytes is part of slack_.
    char* code(char* p, std::int32_t value) {
        unsigned char bytes[4];
        const int n = code_text_bytes(value, bytes);
        for (int i = 0; i < n; ++i) {
            if (Ansi || bytes[i] < 0x80) {
                *p++ = static_cast<char>(bytes[i]);
            } else {
                p = put_utf8(p, text::ansi_char(bytes[i]));
            }
        }
        return p;
    }

    char* text(char* p, const std::string& s) {
        const std::size_t n = s.size();
        if (n == 0) return p;
        p = buffer_.room(p, n + slack_);
        if (Ansi && !text::is_ascii(s)) return p + text::copy_ansi(p, s);
        std::memcpy(p, s.data(), n);
        return p + n;
    }

    // Left-justified in exactly `width` characters: filled with spaces or cut.
    char* fixed(char* p, const std::string& s, std::size_t width) {
        p = buffer_.room(p, 4 * width + slack_);
        std::size_t chars = 0;
        std::size_t i = 0;
        while (i < s.size() && chars < width) {
            std::size_t len;
            const char32_t cp = text::decode_utf8(std::string_view(s).substr(i), len);
            if (Ansi) {
                *p++ = static_cast<char>(text::ansi_byte(cp));
            } else {
                std::memcpy(p, s.data() + i, len);
                p += len;
            }
            i += len;
            ++chars;
        }
        std::memset(p, ' ', width - chars);
        return p + (width - chars);
    }

    static char* put_utf8(char* p, char32_t cp) {
        char buf[4];
        std::size_t n = 0;
        if (cp < 0x800) {
            buf[n++] = static_cast<char>(0xC0 | (cp >> 6));
        } else {
            buf[n++] = static_cast<char>(0xE0 | (cp >> 12));
            buf[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        }
        buf[n++] = static_cast<char>(0x80 | (cp & 0x3F));
        std::memcpy(p, buf, n);
        return p + n;
    }

    const SegmentObject& obj_;
    AssemblyTarget& buffer_;
    std::string_view sep_;
    std::string_view comp_;
    std::size_t slack_;
};

}  // namespace

// ---- code lists and descriptors ----

namespace {

// Whether the NUL-terminated `stored` equals `text`, without measuring
// `stored` first: scripts look codes up for every code field they set, in
// lists of up to a few hundred members, and nearly every member differs from
// the text in its first character.
bool equals_stored(std::string_view text, const char* stored) {
    for (char c : text) {
        if (*stored != c || c == '\0') return false;
        ++stored;
    }
    return *stored == '\0';
}

}  // namespace

const CodeMember* CodeListDescriptor::find_name(std::string_view member_name) const {
    for (std::size_t i = 0; i < member_count; ++i) {
        if (equals_stored(member_name, members[i].name)) return &members[i];
    }
    return nullptr;
}

std::string codes_text(const CodeListDescriptor& list) {
    std::string out;
    constexpr std::size_t kShown = 24;
    for (std::size_t i = 0; i < list.member_count && i < kShown; ++i) {
        if (i) out += ", ";
        out += list.members[i].code;
    }
    if (list.member_count > kShown) out += ", ... (" + std::to_string(list.member_count) + " codes)";
    return out;
}

const CodeMember& CodeText::member_of(const CodeListDescriptor& list) const {
    if (const CodeMember* m = list.find_code(text_)) return *m;
    throw VbError(vbErrInvalidPropertyValue, "\"" + printable(text_) + "\" is not a code of the list " + list.name +
                                                 " (codes: " + codes_text(list) + ")");
}

const CodeMember* CodeListDescriptor::find_code(std::string_view code_text) const {
    for (std::size_t i = 0; i < member_count; ++i) {
        if (equals_stored(code_text, members[i].code)) return &members[i];
    }
    return nullptr;
}

const FieldDescriptor* SegmentClassDescriptor::find_field(std::string_view field_name) const {
    for (std::size_t i = 0; i < field_count; ++i) {
        if (field_name == fields[i].name) return &fields[i];
    }
    return nullptr;
}

// ---- BeforeAdd ----

std::atomic<std::size_t> BeforeAddEvent::connected_anywhere_{0};

BeforeAddEvent::~BeforeAddEvent() { connected_anywhere_.fetch_sub(live_, std::memory_order_relaxed); }

BeforeAddEvent::Connection BeforeAddEvent::connect(Handler handler) {
    Connection id = next_id_++;
    entries_.push_back({id, std::make_shared<Handler>(std::move(handler))});
    ++live_;
    connected_anywhere_.fetch_add(1, std::memory_order_relaxed);
    return id;
}

void BeforeAddEvent::disconnect(Connection connection) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->id == connection && it->handler) {
            --live_;
            connected_anywhere_.fetch_sub(1, std::memory_order_relaxed);
            if (raising_) {
                retired_.push_back(std::move(it->handler));  // removed once the running raise is over
            } else {
                entries_.erase(it);
            }
            return;
        }
    }
}

void BeforeAddEvent::raise(std::string& SegValue, std::int32_t& SegCount, std::int16_t& bCancel) {
    ++raising_;
    struct Done {
        BeforeAddEvent& e;
        ~Done() {
            // Only a disconnection during a raise leaves an emptied entry, and it retires the handler.
            if (--e.raising_ == 0 && !e.retired_.empty()) {
                std::erase_if(e.entries_, [](const Entry& x) { return !x.handler; });
                e.retired_.clear();
            }
        }
    } done{*this};
    // Handlers connected during the raise are called from the next raise on. A
    // handler object stays where it is while entries_ grows, and one that is
    // disconnected meanwhile waits in retired_, so a plain pointer is enough.
    const std::size_t n = entries_.size();
    for (std::size_t i = 0; i < n; ++i) {
        Handler* h = entries_[i].handler.get();
        if (h) (*h)(SegValue, SegCount, bCancel);
    }
}

// ---- segment objects ----

SegmentObject::SegmentObject(const SegmentClassDescriptor* descriptor, void* fields)
    : desc_(descriptor),
      fields_(static_cast<char*>(fields)) {}  // home_: the thread's writer state exists from the first object on

SegmentObject::~SegmentObject() = default;

void SegmentObject::add_forwarder(EventForwarder* forwarder) { forwarders_.push_back(forwarder); }

void SegmentObject::remove_forwarder(EventForwarder* forwarder) {
    auto it = std::find(forwarders_.begin(), forwarders_.end(), forwarder);
    if (it != forwarders_.end()) forwarders_.erase(it);
}

bool SegmentObject::anyone_listening() const {
    if (!BeforeAdd.empty()) return true;
    for (EventForwarder* f : forwarders_) {
        if (f->listening()) return true;
    }
    return false;
}

void SegmentObject::raise_before_add(std::string& value, std::int32_t& count,
                                     std::int16_t& cancel) {
    if (BeforeAdd.empty() && forwarders_.size() == 1) {
        // The usual case: one control and no handler of the object's own, so no
        // host code can have removed that control before its turn, and nothing
        // of this object is read once its handlers have run.
        forwarders_[0]->forward(value, count, cancel);
        return;
    }
    // Handlers run between the reads below, and one of them may release the
    // last reference to this object: it is kept alive until they are done.
    const std::shared_ptr<SegmentObject> keep_alive = weak_from_this().lock();
    if (!BeforeAdd.empty()) BeforeAdd.raise(value, count, cancel);
    // The control re-raises with the very same three references. Handlers may
    // add or remove forwarders meanwhile: the ones present now are called if
    // they are still present when their turn comes. An object is normally held
    // by one control, so the snapshot fits on the stack.
    EventForwarder* inline_snapshot[4];
    std::vector<EventForwarder*> heap_snapshot;
    EventForwarder* const* snapshot = inline_snapshot;
    const std::size_t n = forwarders_.size();
    if (n <= std::size(inline_snapshot)) {
        std::copy(forwarders_.begin(), forwarders_.end(), inline_snapshot);
    } else {
        heap_snapshot = forwarders_;
        snapshot = heap_snapshot.data();
    }
    for (std::size_t i = 0; i < n; ++i) {
        EventForwarder* f = snapshot[i];
        if (std::find(forwarders_.begin(), forwarders_.end(), f) != forwarders_.end()) {
            f->forward(value, count, cancel);
        }
    }
}

namespace {

// What Additem does once the segment is through BeforeAdd: the annotation line
// (when asked for), the segment bytes (written by `write_bytes`), the count
// (except for the trailer, which counted itself) and the newline of the
// NewLine mode, each step under the ErrorTrap rule. `file` is the file when it
// is known not to change meanwhile; otherwise it is looked up for every write.
template <class WriteBytes>
void write_segment(const SegmentClassDescriptor& d, WriterState& ws, bool trap, files::OutputFile* file,
                   WriteBytes&& write_bytes) {
    auto output = [&]() -> files::OutputFile& { return file ? *file : open_file(ws); };
    if (ws.annotation) {
        run_under_error_trap(trap, [&] {
            files::OutputFile& f = output();
            f.append("\r\n\t");
            write_text(f, d.label);
            f.append("\r\n\r\n");
            check_written(trap, f);
        });
    }
    run_under_error_trap(trap, write_bytes);
    if (d.counting == Counting::Counted && d.assembly != Assembly::Trailer) {
        run_under_error_trap(trap, [&] { ws.segment_count = checked_increment(ws.segment_count); });
    }
    if (ws.new_line == 1 || ws.new_line == 2) {
        run_under_error_trap(trap, [&] {
            files::OutputFile& f = output();
            f.append(ws.new_line == 2 ? std::string_view("\r\n") : std::string_view("\n"));
            check_written(trap, f);
        });
    }
}

}  // namespace

namespace {

// The steps after the bytes of a segment stored straight into the file's
// buffer: the count and the newline; then the bytes up to `p` join the file.
[[gnu::always_inline]] inline void finish_in_buffer(const SegmentClassDescriptor& d, WriterState& ws,
                                                   files::OutputFile& file, char* p) {
    if (d.counting == Counting::Counted) ++ws.segment_count;
    if (ws.new_line == 1) {
        *p++ = '\n';
    } else if (ws.new_line == 2) {
        *p++ = '\r';
        *p++ = '\n';
    }
    file.commit(p);
}

}  // namespace

// The compiled path: the common case of a batch, where nobody listens (the
// caller knows), no
// annotation is asked for, the file is open with room in its buffer and has no
// error waiting. Nothing in it can fail or run host code, so the steps of
// Additem reduce to writing the bytes, counting and the newline, in that
// order. Returns false, having changed nothing, when the general path must run.
[[gnu::always_inline]] inline bool SegmentObject::add_compiled(WriterState& ws) {
    const char separator = ws.element_separator.ansi();
    if (ws.annotation || ws.strict_values || separator == '?' ||
        ws.segment_count == std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    files::OutputFile* f = files::find(ws.file_number);
    // The ID and its separator, the terminator and CR LF around the body.
    constexpr std::size_t kAround = 8 + 1 + 1 + 2;
    if (!f || f->pending_error()) return false;
    const std::size_t room = f->room();
    if (room < desc_->compiled_room + kAround) return false;
    char* const begin = f->reserve(room);
    std::memcpy(begin, desc_->id_bytes.data(), 4);
    char* p = begin + desc_->id_size;
    *p++ = separator;
    p = desc_->compiled_body(fields_, p, begin + room - 3, separator, ws.component_separator.ansi());
    if (!p) return false;  // a long text outruns the buffer: nothing was committed
    *p++ = ws.segment_terminator.ansi();
    finish_in_buffer(*desc_, ws, *f, p);
    return true;
}

namespace {

// Writes an announced ASCII segment (`segment`: its ID, the separator it was
// assembled with, its element text and terminator) in one piece when the
// writer state after the event asks for nothing but the bytes, the count and
// the newline, and the buffer has room: the same steps as the general path,
// none of which can fail here. The separator is the one set now. Returns
// false, having written nothing, otherwise.
bool write_announced(const SegmentClassDescriptor& desc, WriterState& ws,
                     files::OutputFile& file, std::string_view segment) {
    const bool counted = desc.counting == Counting::Counted;
    if (ws.annotation || file.pending_error() ||
        (counted && ws.segment_count == std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    const std::size_t room = file.room();
    if (room < segment.size() + 2) return false;  // CR LF after it
    char* p = file.reserve(room);
    std::memcpy(p, segment.data(), segment.size());
    p[desc.id_size] = ws.element_separator.ansi();
    finish_in_buffer(desc, ws, file, p + segment.size());
    return true;
}

// How a delimiter character is shown in a message: printable characters in
// quotes, control characters by their code.
std::string shown_character(const std::string& utf8) {
    const unsigned char c = static_cast<unsigned char>(utf8[0]);
    if (utf8.size() == 1 && (c < 0x20 || c == 0x7F)) {
        static const char digits[] = "0123456789ABCDEF";
        return std::string("\\x") + digits[c >> 4] + digits[c & 15];
    }
    return "\"" + utf8 + "\"";
}

// Strict values: a value that holds a delimiter would end an element, a
// component or the whole segment where the host did not mean it to (O*BRIEN
// becomes two elements; a "~" starts a segment of the value's choosing).
void refuse_delimiters(const SegmentObject& obj, const WriterState& ws) {
    const SegmentClassDescriptor& d = obj.descriptor();
    const struct {
        const Delimiter& delimiter;
        const char* role;
    } delimiters[] = {{ws.element_separator, "the data element separator"},
                      {ws.component_separator, "the component separator"},
                      {ws.segment_terminator, "the segment terminator"},
                      {ws.repetition_separator, "the repetition separator"}};
    const std::size_t delimiter_count = ws.has_repetition_separator ? 4 : 3;
    std::string code_text;
    for (std::size_t i = 0; i < d.field_count; ++i) {
        const FieldDescriptor& f = d.fields[i];
        std::string_view value;
        if (f.kind == FieldKind::Code) {
            code_text = CodeToString(obj.code(f));
            value = code_text;
        } else if (f.kind != FieldKind::Unwritten) {
            value = obj.text(f);
        }
        if (value.empty()) continue;
        // The interchange header's last element declares the component separator itself.
        const bool declares_component = d.assembly == Assembly::Interchange && i + 1 == d.field_count;
        for (std::size_t k = 0; k < delimiter_count; ++k) {
            const auto& [delimiter, role] = delimiters[k];
            if (declares_component && &delimiter == &ws.component_separator) continue;
            if (f.repetition_separator && &delimiter == &ws.repetition_separator) continue;
            if (value.find(delimiter.text()) == std::string_view::npos) continue;
            throw VbError(vbErrInvalidProcedureCall, std::string(d.segment_id) + " (" + d.name + "." + f.name +
                                                         ") holds " + shown_character(delimiter.text()) + ", " +
                                                         role + "; strict values refuse it");
        }
    }
}

}  // namespace

namespace {

// Tells a segment watcher that a segment begins, and at the end of Additem,
// however it ends, what was written of it. `reached`, when given, is set once
// the segment is written: automatic bookkeeping counts only what reached the file.
class WatchScope {
public:
    WatchScope(SegmentWatcher* watcher, const SegmentObject& object, bool* reached)
        : watcher_(watcher), reached_(reached) {
        if (watcher_) watcher_->segment_begun(object);
    }
    ~WatchScope() {
        if (watcher_) watcher_->segment_ended(written_);
    }
    WatchScope(const WatchScope&) = delete;
    WatchScope& operator=(const WatchScope&) = delete;
    bool active() const { return watcher_ != nullptr || reached_ != nullptr; }
    void written(std::string_view bytes) {
        written_ = bytes;
        if (reached_) *reached_ = true;
    }

private:
    SegmentWatcher* watcher_;
    bool* reached_;
    std::string_view written_;
};

}  // namespace

std::string SegmentObject::Preview() {
    const WriterState& ws = writer_state();
    // The field Additem would fill in first is filled for the assembly and
    // emptied again; no host code runs in between.
    std::string* filled = nullptr;
    std::string* filled_repetition = nullptr;
    if (desc_->assembly == Assembly::Trailer) {
        std::string& count_field = text(desc_->fields[0]);
        if (count_field.empty()) {
            count_field = std::to_string(static_cast<std::int64_t>(ws.segment_count) + 1);
            filled = &count_field;
        }
    } else if (desc_->assembly == Assembly::Interchange) {
        std::string& separator_field = text(desc_->fields[desc_->field_count - 1]);
        if (separator_field.empty()) {
            separator_field = ws.component_separator.text();
            filled = &separator_field;
        }
        if (const FieldDescriptor* f = repetition_separator_field(desc_->fields, desc_->field_count)) {
            if (text(*f).empty()) {
                text(*f) = ws.repetition_separator.text();
                filled_repetition = &text(*f);
            }
        }
    }
    const std::string& term = ws.segment_terminator.text();
    ByteBuffer buffer;
    AssemblyTarget target(buffer);
    char* p = target.room(target.begin(), kSlack);
    p = BodyAssembler<false>(*this, target, ws.element_separator.text(),
                             ws.component_separator.text())
            .body(p);
    p = target.room(p, term.size());
    p = put_bytes(p, term);
    std::string segment = desc_->segment_id;
    segment += ws.element_separator.text();
    segment.append(target.begin(), static_cast<std::size_t>(p - target.begin()));
    if (filled) filled->clear();
    if (filled_repetition) filled_repetition->clear();
    return segment;
}

void SegmentObject::Additem() {
    WriterState& ws = home_.check(desc_->name, "Additem");
    // Whether anyone hears this object's BeforeAdd, and whether a watcher
    // reads what is written. No host code runs before the event is raised, so
    // the answers hold until then. While nobody in the process listens or
    // watches, one test decides.
    bool heard = false;
    SegmentWatcher* watcher = nullptr;
    if (BeforeAddEvent::any_connected()) [[unlikely]] {
        // Automatic bookkeeping counts as a connection while it is on.
        if (ws.bookkeeper) [[unlikely]] {
            ws.bookkeeper->additem(ws, *this);
            return;
        }
        heard = anyone_listening();
        watcher = ws.watcher;
    }
    if (!heard && !watcher && desc_->compiled_body && add_compiled(ws)) return;
    add_general(ws, heard, watcher, nullptr);
}

bool SegmentObject::add_reporting(WriterState& ws) {
    bool reached = false;
    add_general(ws, anyone_listening(), ws.watcher, &reached);
    return reached;
}

void SegmentObject::add_general(WriterState& ws, bool heard, SegmentWatcher* watcher, bool* reached) {
    const bool trap = ws.trapping();
    // Strict values are checked before anything happens, and the refusal
    // reaches the host whatever ErrorTrap says: passing it over would write
    // the very segment that strict mode exists to stop.
    if (ws.strict_values) refuse_delimiters(*this, ws);

    if (desc_->assembly == Assembly::Trailer) {
        // The trailer counts itself before it is formatted, and fills an empty
        // count element from the count.
        run_under_error_trap(trap, [&] { ws.segment_count = checked_increment(ws.segment_count); });
        std::string& count_field = text(desc_->fields[0]);
        if (count_field.empty()) count_field = std::to_string(ws.segment_count);
    } else if (desc_->assembly == Assembly::Interchange) {
        // The last element and the component separator follow each other: an
        // empty one takes the separator, a set one replaces it.
        std::string& separator_field = text(desc_->fields[desc_->field_count - 1]);
        if (separator_field.empty()) {
            separator_field = ws.component_separator.text();
        } else {
            ws.component_separator.assign(separator_field);
        }
        // The same for the repetition separator, where the header declares one.
        if (const FieldDescriptor* f = repetition_separator_field(desc_->fields, desc_->field_count)) {
            std::string& repetition_field = text(*f);
            if (repetition_field.empty()) {
                repetition_field = ws.repetition_separator.text();
            } else {
                ws.repetition_separator.assign(repetition_field);
                ws.has_repetition_separator = true;
            }
        }
    }

    // From here on the fields are the ones the segment is assembled from.
    WatchScope watch(watcher, *this, reached);

    EmissionScratch& scratch = emission_scratch();
    const char separator = ws.element_separator.ansi();

    // The direct path: nobody listens, so no host code runs between formatting
    // and writing and the delimiters cannot change; the segment is assembled
    // once, in the bytes it is written as. Trimming trailing separators on those
    // bytes equals trimming the text because no other character is written as
    // the separator's byte ('?' stands for every character the code page lacks,
    // so that separator takes the announced path). A count that cannot rise and
    // a missing file take the announced path too, which reports them.
    files::OutputFile* direct_file = nullptr;
    if (separator != '?' && ws.segment_count != std::numeric_limits<std::int32_t>::max() && !heard &&
        !watch.active()) {
        direct_file = files::find(ws.file_number);
    }
    if (direct_file) {
        write_segment(*desc_, ws, trap, direct_file, [&] {
            // Assembled in the file's buffer when the segment is sure to fit
            // there without a flush; otherwise (or when a long text outruns the
            // room) in the scratch buffer and appended, which flushes as usual.
            files::OutputFile& f = *direct_file;
            const char component = ws.component_separator.ansi();
            const std::size_t room = f.room();
            char* reserved = room >= kSlack + body_slack(*desc_) ? f.reserve(room) : nullptr;
            AssemblyTarget target = reserved ? AssemblyTarget(scratch.direct, reserved, room)
                                             : AssemblyTarget(scratch.direct);
            char* p = target.room(target.begin(), kSlack);
            std::memcpy(p, desc_->id_bytes.data(), 4);
            p += desc_->id_size;
            *p++ = separator;
            p = BodyAssembler<true>(*this, target, std::string_view(&separator, 1),
                                    std::string_view(&component, 1))
                    .body(p);
            p = target.room(p, 1);
            *p++ = ws.segment_terminator.ansi();
            if (target.in_file()) {
                f.commit(p);
            } else {
                f.append(std::string_view(target.begin(), static_cast<std::size_t>(p - target.begin())));
            }
            check_written(trap, f);
        });
        return;
    }

    NestedLease lease(scratch);
    NestedScratch& nested = lease.get();
    std::string_view body;       // the element text and the terminator, UTF-8
    bool ascii_segment = false;  // the ID and separator precede `body` in nested.body
    {
        const std::string& sep = ws.element_separator.text();
        const std::string& comp = ws.component_separator.text();
        const std::string& term = ws.segment_terminator.text();
        // The usual case: ASCII delimiters and text. The class's compiled body
        // writes the segment behind its ID and separator, so that the announced
        // text is one copy and the file bytes are the same bytes.
        if (desc_->ascii_body && ws.element_separator.ascii() &&
            ws.component_separator.ascii() && ws.segment_terminator.ascii()) {
            char* const base = nested.body.room(nested.body.begin(), desc_->compiled_room + kSlack);
            std::memcpy(base, desc_->id_bytes.data(), 4);
            char* const start = base + desc_->id_size;
            *start = sep[0];
            char* end = desc_->ascii_body(fields_, start + 1, base + nested.body.capacity() - 1, sep[0], comp[0]);
            if (end) {
                *end++ = term[0];
                body = std::string_view(start + 1, static_cast<std::size_t>(end - start - 1));
                ascii_segment = true;
            }
        }
        if (!ascii_segment) {
            AssemblyTarget target(nested.body);
            char* p = target.room(target.begin(), kSlack);
            p = BodyAssembler<false>(*this, target, sep, comp).body(p);
            p = target.room(p, term.size());
            p = put_bytes(p, term);
            body = std::string_view(target.begin(), static_cast<std::size_t>(p - target.begin()));
        }
    }

    std::int16_t cancel = 0;
    // A handler may release the last reference to this object: from the event
    // on, Additem reads only its class's descriptor (which outlives
    // every object) and the thread's scratch, never the object.
    const SegmentClassDescriptor& desc = *desc_;
    run_under_error_trap(trap, [&] {
        std::int32_t count = checked_increment(ws.segment_count);
        if (!heard) return;
        std::string& value = nested.value;
        if (ascii_segment) {
            value.assign(nested.body.begin(), static_cast<std::size_t>(body.data() + body.size() - nested.body.begin()));
        } else {
            value.assign(desc.segment_id);
            value.append(ws.element_separator.text());
            value.append(body);
        }
        raise_before_add(value, count, cancel);
    });
    if (cancel == -1) return;

    // Everything from here on reads the writer state as the handlers left it.
    // No host code runs any more, so the file open now is the file written.
    files::OutputFile* const file = files::find(ws.file_number);
    if (ascii_segment && file) {
        const std::string_view segment(nested.body.begin(),
                                       static_cast<std::size_t>(body.data() + body.size() - nested.body.begin()));
        if (write_announced(desc, ws, *file, segment)) {
            if (watch.active()) {
                nested.body.begin()[desc.id_size] = ws.element_separator.ansi();  // as written
                watch.written(segment);
            }
            return;
        }
    }
    write_segment(desc, ws, trap, file, [&] {
        files::OutputFile& f = file ? *file : open_file(ws);
        f.append(desc.segment_id);
        f.append(ws.element_separator.ansi());
        if (ascii_segment) {
            f.append(body);
        } else {
            write_text(f, body);
        }
        if (watch.active()) {
            // The same bytes again, for the watcher.
            std::string& bytes = nested.value;
            bytes.assign(desc.segment_id);
            bytes += ws.element_separator.ansi();
            if (ascii_segment) {
                bytes.append(body);
            } else {
                text::append_ansi(bytes, body);
            }
            watch.written(bytes);
        }
        check_written(trap, f);
    });
}

}  // namespace prjVireo
