#include "core/segment.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>

#include "core/errors.h"
#include "core/output_files.h"
#include "core/text.h"
#include "core/writer_state.h"

namespace prjVireo {
namespace {

// Work buffers for Additem, one per nesting level: a BeforeAdd handler may call
// Additem on another object while the outer segment's body is still needed.
struct ScratchPool {
    std::deque<std::string> buffers;
    std::size_t depth = 0;
};

ScratchPool& scratch_pool() {
    thread_local ScratchPool pool;
    return pool;
}

class ScratchLease {
public:
    explicit ScratchLease(ScratchPool& pool) : pool_(pool) {
        if (pool_.depth == pool_.buffers.size()) pool_.buffers.emplace_back();
        buffer_ = &pool_.buffers[pool_.depth++];
        buffer_->clear();
    }
    ~ScratchLease() { --pool_.depth; }
    std::string& get() { return *buffer_; }

private:
    ScratchPool& pool_;
    std::string* buffer_;
};

// Runs one step of Additem. With errors trapped a failure ends the call and
// reaches the host; otherwise the step is skipped and the next one runs.
template <class Step>
inline void run_step(bool trap, Step&& step) {
    if (trap) {
        step();
        return;
    }
    try {
        step();
    } catch (...) {
    }
}

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

// A field's written text, appended to `out`.
inline void append_field(std::string& out, const SegmentObject& obj, const FieldDescriptor& f) {
    switch (f.kind) {
        case FieldKind::Code: append_code_text(out, obj.code(f)); break;
        case FieldKind::Fixed: out += PadRight(obj.text(f), f.width); break;
        case FieldKind::Text: out += obj.text(f); break;
        case FieldKind::Unwritten: break;
    }
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

// Appends the joined composite made of fields [first, last); returns whether anything was written.
bool append_composite(std::string& out, const SegmentObject& obj, const FieldDescriptor* first,
                      const FieldDescriptor* last, std::string_view component_separator) {
    const std::size_t start = out.size();
    std::size_t keep = start;  // end of the last non-empty component
    bool any = false;
    for (const FieldDescriptor* f = first; f != last; ++f) {
        if (f->kind == FieldKind::Unwritten) continue;
        if (f != first) out.append(component_separator);
        const std::size_t before = out.size();
        append_field(out, obj, *f);
        if (out.size() != before) {
            keep = out.size();
            any = true;
        }
    }
    out.resize(keep);  // trailing empty components are dropped
    return any;
}

// End of the run of fields that form the element starting at `f`.
inline const FieldDescriptor* element_end(const FieldDescriptor* f, const FieldDescriptor* end) {
    const FieldDescriptor* g = f + 1;
    while (g != end && g->element == f->element) ++g;
    return g;
}

}  // namespace

// ---- code lists and descriptors ----

const CodeMember* CodeListDescriptor::find_name(std::string_view member_name) const {
    for (std::size_t i = 0; i < member_count; ++i) {
        if (member_name == members[i].name) return &members[i];
    }
    return nullptr;
}

const CodeMember* CodeListDescriptor::find_code(std::string_view code_text) const {
    for (std::size_t i = 0; i < member_count; ++i) {
        if (code_text == members[i].code) return &members[i];
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

BeforeAddEvent::Connection BeforeAddEvent::connect(Handler handler) {
    Connection id = next_id_++;
    entries_.push_back({id, std::make_shared<Handler>(std::move(handler))});
    ++live_;
    return id;
}

void BeforeAddEvent::disconnect(Connection connection) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->id == connection && it->handler) {
            --live_;
            if (raising_) {
                it->handler.reset();  // removed once the running raise is over
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
            if (--e.raising_ == 0) {
                std::erase_if(e.entries_, [](const Entry& x) { return !x.handler; });
            }
        }
    } done{*this};
    // Handlers connected during the raise are called from the next raise on.
    const std::size_t n = entries_.size();
    for (std::size_t i = 0; i < n; ++i) {
        std::shared_ptr<Handler> h = entries_[i].handler;
        if (h) (*h)(SegValue, SegCount, bCancel);
    }
}

// ---- segment objects ----

SegmentObject::SegmentObject(const SegmentClassDescriptor* descriptor, void* fields)
    : desc_(descriptor), fields_(static_cast<char*>(fields)) {
    writer_state();  // the thread's writer state exists from the first object on
}

SegmentObject::~SegmentObject() = default;

std::int32_t SegmentObject::code(const FieldDescriptor& f) const {
    std::int32_t v;
    std::memcpy(&v, fields_ + f.offset, sizeof v);
    return v;
}

void SegmentObject::set_code(const FieldDescriptor& f, std::int32_t value) {
    std::memcpy(fields_ + f.offset, &value, sizeof value);
}

void SegmentObject::Clear() {
    for (std::size_t i = 0; i < desc_->field_count; ++i) {
        const FieldDescriptor& f = desc_->fields[i];
        if (f.kind == FieldKind::Code) {
            set_code(f, 0);
        } else {
            text(f).clear();
        }
    }
}

void SegmentObject::add_forwarder(EventForwarder* forwarder) { forwarders_.push_back(forwarder); }

void SegmentObject::remove_forwarder(EventForwarder* forwarder) {
    auto it = std::find(forwarders_.begin(), forwarders_.end(), forwarder);
    if (it != forwarders_.end()) forwarders_.erase(it);
}

bool SegmentObject::listening() const {
    if (!BeforeAdd.empty()) return true;
    for (EventForwarder* f : forwarders_) {
        if (f->listening()) return true;
    }
    return false;
}

void SegmentObject::raise_before_add(std::string& value, std::int32_t& count,
                                     std::int16_t& cancel) {
    // A handler may release the last reference to this object; keep it alive.
    std::shared_ptr<SegmentObject> keep = weak_from_this().lock();
    BeforeAdd.raise(value, count, cancel);
    // The control re-raises with the very same three references.
    const std::vector<EventForwarder*> forwarders = forwarders_;
    for (EventForwarder* f : forwarders) {
        if (std::find(forwarders_.begin(), forwarders_.end(), f) != forwarders_.end()) {
            f->forward(value, count, cancel);
        }
    }
}

void SegmentObject::build_body(std::string& out) const {
    const WriterState& ws = writer_state();
    const std::string& sep = ws.element_separator.text();
    const std::string& comp = ws.component_separator.text();
    const FieldDescriptor* begin = desc_->fields;
    const FieldDescriptor* end = begin + desc_->field_count;
    const std::size_t start = out.size();

    switch (desc_->assembly) {
        case Assembly::Common: {
            // The last present position: a composite counts when any component does.
            int last = 0;
            for (const FieldDescriptor* f = begin; f != end; ++f) {
                if (f->element > last && field_present(*this, *f)) last = f->element;
            }
            int written = 0;  // separators written so far
            for (const FieldDescriptor* f = begin; f != end;) {
                const FieldDescriptor* next = element_end(f, end);
                if (f->component == 0) {
                    if (f->element <= last) {
                        for (; written < f->element - 1; ++written) out += sep;
                        append_field(out, *this, *f);
                    }
                } else {
                    // A composite is written when not empty or when a later element is.
                    const std::size_t mark = out.size();
                    for (int w = written; w < f->element - 1; ++w) out += sep;
                    if (append_composite(out, *this, f, next, comp) || f->element <= last) {
                        written = f->element - 1;
                    } else {
                        out.resize(mark);
                    }
                }
                f = next;
            }
            break;
        }
        case Assembly::AllElements:
        case Assembly::Interchange:
        case Assembly::Trailer: {
            for (const FieldDescriptor* f = begin; f != end; ++f) {
                if (f != begin) out += sep;
                append_field(out, *this, *f);
            }
            break;
        }
        case Assembly::PackedComposites: {
            // Non-empty composites one after another, then the plain elements up to
            // the last present one, following directly.
            int last = 0;
            for (const FieldDescriptor* f = begin; f != end; ++f) {
                if (f->component == 0 && f->element > last && field_present(*this, *f)) {
                    last = f->element;
                }
            }
            bool first = true;
            for (const FieldDescriptor* f = begin; f != end;) {
                const FieldDescriptor* next = element_end(f, end);
                if (f->component != 0) {
                    const std::size_t mark = out.size();
                    if (!first) out += sep;
                    if (append_composite(out, *this, f, next, comp)) {
                        first = false;
                    } else {
                        out.resize(mark);
                    }
                } else if (f->element <= last) {
                    if (!first) out += sep;
                    first = false;
                    append_field(out, *this, *f);
                }
                f = next;
            }
            break;
        }
    }
    trim_trailing_separators(out, sep, start);
    out += ws.segment_terminator.text();
}

void SegmentObject::Additem() {
    WriterState& ws = writer_state();
    const bool trap = ws.trapping();

    if (desc_->assembly == Assembly::Trailer) {
        // The trailer counts itself before it is formatted, and fills an empty
        // count element from the count.
        run_step(trap, [&] { ws.segment_count = checked_increment(ws.segment_count); });
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
    }

    ScratchPool& pool = scratch_pool();
    ScratchLease body_lease(pool);
    std::string& body = body_lease.get();
    build_body(body);

    std::int16_t cancel = 0;
    run_step(trap, [&] {
        std::int32_t count = checked_increment(ws.segment_count);
        if (!listening()) return;
        ScratchLease value_lease(pool);
        std::string& value = value_lease.get();
        value.append(desc_->segment_id);
        value.append(ws.element_separator.text());
        value.append(body);
        raise_before_add(value, count, cancel);
    });
    if (cancel == -1) return;

    // Everything from here on reads the writer state as the handlers left it.
    if (ws.annotation) {
        run_step(trap, [&] {
            files::OutputFile& f = open_file(ws);
            f.append("\r\n\t");
            write_text(f, desc_->label);
            f.append("\r\n\r\n");
            check_written(trap, f);
        });
    }
    run_step(trap, [&] {
        files::OutputFile& f = open_file(ws);
        f.append(desc_->segment_id);
        f.append(ws.element_separator.ansi());
        write_text(f, body);
        check_written(trap, f);
    });
    if (desc_->counting == Counting::Counted && desc_->assembly != Assembly::Trailer) {
        run_step(trap, [&] { ws.segment_count = checked_increment(ws.segment_count); });
    }
    if (ws.new_line == 1 || ws.new_line == 2) {
        run_step(trap, [&] {
            files::OutputFile& f = open_file(ws);
            f.append(ws.new_line == 2 ? std::string_view("\r\n") : std::string_view("\n"));
            check_written(trap, f);
        });
    }
}

}  // namespace prjVireo
