#include "vireo/core/bookkeeping.h"

#include <cstring>
#include <exception>
#include <string_view>

#include "vireo/core/code.h"
#include "vireo/core/errors.h"
#include "vireo/core/segment.h"
#include "vireo/core/writer_state.h"

namespace prjVireo {
namespace {

// The segments the bookkeeper reads or fills, known by their ID.
enum class Role { Other, Interchange, Group, Transaction, Level, Claim, Line, TransactionEnd, GroupEnd, InterchangeEnd };

Role role_of(const SegmentClassDescriptor& d) {
    const std::string_view id = d.segment_id;
    if (id == "HL") return Role::Level;
    if (id == "LX") return Role::Line;
    if (id == "CLM") return Role::Claim;
    if (id == "ST") return Role::Transaction;
    if (id == "SE") return Role::TransactionEnd;
    if (id == "GS") return Role::Group;
    if (id == "GE") return Role::GroupEnd;
    if (id == "ISA") return Role::Interchange;
    if (id == "IEA") return Role::InterchangeEnd;
    return Role::Other;
}

// The envelope segments close a hierarchical level as the next HL does.
bool ends_level(Role role) { return role != Role::Other && role != Role::Claim && role != Role::Line; }

// The plain element at `element` (no composite component), or nullptr.
const FieldDescriptor* element_field(const SegmentClassDescriptor& d, std::uint8_t element) {
    for (std::size_t i = 0; i < d.field_count; ++i) {
        if (d.fields[i].element == element && d.fields[i].component == 0) return &d.fields[i];
    }
    return nullptr;
}

bool holds_text(const FieldDescriptor* f) { return f && (f->kind == FieldKind::Text || f->kind == FieldKind::Fixed); }

// The text of a text element, or "" when the class has none there.
std::string element_text(const SegmentObject& object, std::uint8_t element) {
    const FieldDescriptor* f = element_field(object.descriptor(), element);
    return holds_text(f) ? object.text(*f) : std::string();
}

// The fields the bookkeeper filled in one object, emptied again when it goes,
// however Additem ended.
class Fills {
public:
    explicit Fills(SegmentObject& object) : object_(object) {}
    ~Fills() {
        for (std::size_t i = 0; i < count_; ++i) {
            const FieldDescriptor& f = *filled_[i];
            if (f.kind == FieldKind::Code) {
                object_.set_code(f, 0);
            } else {
                object_.text(f).clear();
            }
        }
    }
    Fills(const Fills&) = delete;
    Fills& operator=(const Fills&) = delete;

    // Sets an empty text element to `value`; returns the element's text as it is now.
    std::string text(std::uint8_t element, const std::string& value) {
        const FieldDescriptor* f = element_field(object_.descriptor(), element);
        if (!holds_text(f)) return std::string();
        std::string& current = object_.text(*f);
        if (current.empty() && !value.empty()) {
            current = value;
            note(f);
        }
        return current;
    }
    // An empty text element that Additem itself fills (the trailer's count)
    // is emptied again too, so that a reused object counts again.
    void empty_after(std::uint8_t element) {
        const FieldDescriptor* f = element_field(object_.descriptor(), element);
        if (holds_text(f) && object_.text(*f).empty()) note(f);
    }

private:
    void note(const FieldDescriptor* f) {
        if (count_ < std::size(filled_)) filled_[count_++] = f;
    }

    SegmentObject& object_;
    const FieldDescriptor* filled_[2] = {};
    std::size_t count_ = 0;
};

class Depth {
public:
    explicit Depth(int& depth) : depth_(depth) { ++depth_; }
    ~Depth() { --depth_; }
    Depth(const Depth&) = delete;
    Depth& operator=(const Depth&) = delete;

private:
    int& depth_;
};

// An object's field values, taken and put back by descriptor.
void take_values(const SegmentObject& object, std::vector<std::string>& texts, std::vector<std::int32_t>& codes) {
    const SegmentClassDescriptor& d = object.descriptor();
    texts.assign(d.field_count, std::string());
    codes.assign(d.field_count, 0);
    for (std::size_t i = 0; i < d.field_count; ++i) {
        if (d.fields[i].kind == FieldKind::Code) {
            codes[i] = object.code(d.fields[i]);
        } else {
            texts[i] = object.text(d.fields[i]);
        }
    }
}

void put_values(SegmentObject& object, std::vector<std::string>& texts, const std::vector<std::int32_t>& codes) {
    const SegmentClassDescriptor& d = object.descriptor();
    for (std::size_t i = 0; i < d.field_count; ++i) {
        if (d.fields[i].kind == FieldKind::Code) {
            object.set_code(d.fields[i], codes[i]);
        } else {
            object.text(d.fields[i]).swap(texts[i]);
        }
    }
}

// HL04 of an HL, when it is a code element.
const FieldDescriptor* child_code_field(const SegmentClassDescriptor& d) {
    const FieldDescriptor* f = element_field(d, 4);
    return f && f->kind == FieldKind::Code ? f : nullptr;
}

}  // namespace

Bookkeeper::Bookkeeper() { BeforeAddEvent::watcher_installed(); }

Bookkeeper::~Bookkeeper() {
    // Held segments are written by CloseFile, OpenFile and switching the mode
    // off. Here the thread ends: its files were closed before (without the
    // transaction's trailer, which would have released them), and no host
    // code may run now, so the held objects are let go unwritten.
    BeforeAddEvent::watcher_removed();
}

void BookkeeperDelete::operator()(Bookkeeper* bookkeeper) const noexcept { delete bookkeeper; }

const Bookkeeper::Level* Bookkeeper::parent_of(const char* loop) const {
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) {
        if (std::strcmp(it->loop, loop) < 0) return &*it;
    }
    return nullptr;
}

void Bookkeeper::additem(WriterState& ws, SegmentObject& object) {
    // Inside a BeforeAdd handler of a segment being written: written at once.
    if (depth_ != 0) return write(ws, object);
    const SegmentClassDescriptor& d = object.descriptor();
    const Role role = role_of(d);
    if (!held_.empty()) {
        if (!ends_level(role)) return hold(object);
        // The held HL has a child when this HL hangs under it: its HL02 names
        // the held HL01 (as the host set it or as it will be filled), or, left
        // to the bookkeeper, its loop is deeper than the held one's.
        bool child = false;
        if (role == Role::Level) {
            const Held& level = held_.front();
            const SegmentClassDescriptor& ld = level.object->descriptor();
            const FieldDescriptor* number_field = element_field(ld, 1);
            std::string held_number =
                holds_text(number_field) ? level.texts[static_cast<std::size_t>(number_field - ld.fields)] : "";
            if (held_number.empty()) held_number = std::to_string(levels_written_ + 1);
            const std::string parent = element_text(object, 2);
            child = parent.empty() ? std::strcmp(ld.loop, d.loop) < 0 : parent == held_number;
        }
        replay(ws, child);
    }
    if (role == Role::Level) {
        const FieldDescriptor* child_code = child_code_field(d);
        if (child_code && object.code(*child_code) == 0) return hold(object);
    }
    write(ws, object);
}

void Bookkeeper::hold(SegmentObject& object) {
    std::shared_ptr<SegmentObject> kept = object.weak_from_this().lock();
    if (!kept) {
        throw VbError(vbErrInvalidProcedureCall,
                      std::string(object.descriptor().name) +
                          ".Additem: automatic bookkeeping holds the segments of an HL whose HL04 is empty until the "
                          "next HL shows whether a child level follows, and can hold only an object owned by a "
                          "std::shared_ptr (as a control's members are); own the object by a shared_ptr or set HL04");
    }
    Held h;
    h.object = std::move(kept);
    take_values(object, h.texts, h.codes);
    held_.push_back(std::move(h));
}

void Bookkeeper::release(WriterState& ws) {
    if (!held_.empty()) replay(ws, false);
}

void Bookkeeper::replay(WriterState& ws, bool child_follows) {
    std::vector<Held> held = std::move(held_);
    held_.clear();
    if (const FieldDescriptor* f = child_code_field(held.front().object->descriptor())) {
        const std::size_t index = static_cast<std::size_t>(f - held.front().object->descriptor().fields);
        held.front().codes[index] = code_value(child_follows ? "1" : "0");
    }
    std::exception_ptr first_error;
    for (Held& h : held) {
        SegmentObject& object = *h.object;
        // The object's values now are put back however the write ends.
        std::vector<std::string> texts;
        std::vector<std::int32_t> codes;
        take_values(object, texts, codes);
        put_values(object, h.texts, h.codes);
        struct PutBack {
            SegmentObject& object;
            std::vector<std::string>& texts;
            std::vector<std::int32_t>& codes;
            ~PutBack() { put_values(object, texts, codes); }
        } put_back{object, texts, codes};
        try {
            write(ws, object);
        } catch (...) {
            if (!first_error) first_error = std::current_exception();
        }
    }
    if (first_error) std::rethrow_exception(first_error);
}

void Bookkeeper::write(WriterState& ws, SegmentObject& object) {
    // A BeforeAdd handler may release the last reference to the object.
    const std::shared_ptr<SegmentObject> keep_alive = object.weak_from_this().lock();
    Depth depth(depth_);
    const SegmentClassDescriptor& d = object.descriptor();
    const Role role = role_of(d);
    Fills fills(object);
    // What the counts remember, read as the segment is announced.
    std::string number;
    const std::int32_t count_before = ws.segment_count;
    switch (role) {
        case Role::Interchange: number = element_text(object, 13); break;
        case Role::Group: number = element_text(object, 6); break;
        case Role::Transaction:
            number = element_text(object, 2);
            // The trailer counts ST to SE.
            ws.segment_count = 0;
            break;
        case Role::Level: {
            number = fills.text(1, std::to_string(levels_written_ + 1));
            if (const Level* parent = parent_of(d.loop)) fills.text(2, parent->number);
            break;
        }
        case Role::Line: fills.text(1, std::to_string(lines_ + 1)); break;
        case Role::TransactionEnd:
            fills.empty_after(1);
            fills.text(2, transaction_number_);
            break;
        case Role::GroupEnd:
            fills.text(1, std::to_string(transactions_));
            fills.text(2, group_number_);
            break;
        case Role::InterchangeEnd:
            fills.text(1, std::to_string(groups_));
            fills.text(2, interchange_number_);
            break;
        case Role::Claim:
        case Role::Other: break;
    }
    bool reached = false;
    try {
        reached = object.add_reporting(ws);
    } catch (...) {
        if (role == Role::Transaction) ws.segment_count = count_before;
        throw;
    }
    if (!reached) {
        if (role == Role::Transaction) ws.segment_count = count_before;
        return;
    }
    ++written_;
    switch (role) {
        case Role::Interchange:
            interchange_number_ = std::move(number);
            groups_ = 0;
            break;
        case Role::Group:
            group_number_ = std::move(number);
            ++groups_;
            transactions_ = 0;
            break;
        case Role::Transaction:
            transaction_number_ = std::move(number);
            ++transactions_;
            levels_written_ = 0;
            levels_.clear();
            lines_ = 0;
            break;
        case Role::Level:
            ++levels_written_;
            while (!levels_.empty() && std::strcmp(levels_.back().loop, d.loop) >= 0) levels_.pop_back();
            levels_.push_back({d.loop, std::move(number)});
            lines_ = 0;
            break;
        case Role::Claim: lines_ = 0; break;
        case Role::Line: ++lines_; break;
        default: break;
    }
}

void set_auto_bookkeeping(WriterState& ws, bool on) {
    if (on) {
        if (!ws.bookkeeper) ws.bookkeeper.reset(new Bookkeeper);
        return;
    }
    if (!ws.bookkeeper) return;
    if (ws.bookkeeper->busy()) {
        throw VbError(vbErrInvalidProcedureCall,
                      "AutoBookkeeping cannot be switched off from a BeforeAdd handler while it fills the segment "
                      "being announced; switch it off once that Additem has returned");
    }
    // Held segments are written first; the mode ends even when one of them fails.
    struct End {
        WriterState& ws;
        ~End() { ws.bookkeeper.reset(); }
    } end{ws};
    ws.bookkeeper->release(ws);
}

void release_bookkeeping(WriterState& ws) {
    if (ws.bookkeeper && !ws.bookkeeper->busy()) ws.bookkeeper->release(ws);
}

}  // namespace prjVireo
