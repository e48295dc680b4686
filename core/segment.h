#pragma once
// The segment emission protocol shared by every segment class.
//
// A segment class is data: a SegmentClassDescriptor lists its ID, loop,
// annotation label, assembly rule and fields, and its objects hold nothing but
// their field values. One engine, SegmentObject::Additem, formats, announces
// (BeforeAdd) and writes every class from its descriptor. For the common case
// of a batch the descriptor also carries the class's assembly compiled from
// the same declaration (core/compiled_assembly.h), which writes the same bytes.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/core/code.h"
#include "vireo/core/writer_state.h"

namespace prjVireo {

struct WriterState;

enum class FieldKind : std::uint8_t {
    Text,       // written unchanged
    Code,       // a Code value, written as its code text
    Fixed,      // text padded with spaces or cut to a fixed width
    Unwritten,  // text that is held and cleared but never written
};

// How a class assembles its element text.
enum class Assembly : std::uint8_t {
    Common,            // up to the last present element; composites joined
    AllElements,       // every position written; trailing separators stripped
    Interchange,       // all elements, fixed widths, last element tied to the component separator
                       // (and a repetition separator field, where declared, to the repetition separator)
    Trailer,           // counts itself first and fills an empty count element
    PackedComposites,  // non-empty composites without gaps, then the plain elements
};

enum class Counting : std::uint8_t { Counted, NotCounted };

struct CodeMember {
    const char* name;   // val_...
    const char* code;   // code text
    std::int32_t value;  // Code value
};

struct CodeListDescriptor {
    const char* name;
    const CodeMember* members;
    std::size_t member_count;

    // The member with that name or code text, or nullptr.
    const CodeMember* find_name(std::string_view member_name) const;
    const CodeMember* find_code(std::string_view code_text) const;
};

// "N, Y", or the first 24 codes of a longer list and how many it has.
std::string codes_text(const CodeListDescriptor& list);

// A code given by its text, for a code field of any list:
//   seg->m0101_DiagnosisTypeCode = from_code("BK");
// It becomes the field's enum member when assigned (the list is the field's
// type), and throws VbError 380 naming the list and its codes when the text
// is no code of that list. The text must outlive the assignment only.
class CodeText {
public:
    explicit constexpr CodeText(std::string_view text) : text_(text) {}
    // code_list_of(List) is declared beside every code list's enum.
    template <class List, class = decltype(code_list_of(List{}))>
    operator List() const {
        return static_cast<List>(member_of(code_list_of(List{})).value);
    }

private:
    const CodeMember& member_of(const CodeListDescriptor& list) const;
    std::string_view text_;
};

constexpr CodeText from_code(std::string_view text) { return CodeText(text); }

struct FieldDescriptor {
    const char* name;
    FieldKind kind;
    std::uint8_t element;    // position 1..N
    std::uint8_t component;  // 0 for a plain element, else component number
    std::uint8_t width;      // Fixed fields
    const CodeListDescriptor* codelist;  // Code fields
    std::uint32_t offset;    // within the class's field block
    // An interchange header's element that declares the repetition separator
    // (5010's ISA11): tied to it as the last element is to the component separator.
    bool repetition_separator;
};

// A class's element text written straight in file bytes (see
// core/compiled_assembly.h); nullptr when a long text does not fit before
// `limit` (or, for the ASCII-only form, on a character outside ASCII).
using CompiledBody = char* (*)(const char* block, char* p, const char* limit, char separator,
                               char component_separator);
// Empties every field of a class's field block.
using ClearFields = void (*)(char* block);

struct SegmentClassDescriptor {
    const char* name;        // L2300_CLM_00
    const char* segment_id;  // CLM
    std::array<char, 4> id_bytes;  // the segment ID padded with zeros, stored 4 bytes at a time
    std::uint8_t id_size;          // 2 or 3
    const char* loop;        // 2300
    const char* label;       // annotation label
    Assembly assembly;
    Counting counting;
    const FieldDescriptor* fields;
    std::size_t field_count;
    std::uint8_t element_count;  // N, the last element position
    CompiledBody compiled_body;  // nullptr when the class has none
    CompiledBody ascii_body;     // the same, giving up on text outside ASCII
    std::size_t compiled_room;   // bytes compiled_body needs before its limit, long texts aside
    ClearFields clear_fields;

    const FieldDescriptor* find_field(std::string_view field_name) const;
};

// The BeforeAdd event: SegValue and SegCount are the handler's own copies;
// setting bCancel to -1 stops the segment.
class BeforeAddEvent {
public:
    using Handler = std::function<void(std::string& SegValue, std::int32_t& SegCount,
                                       std::int16_t& bCancel)>;
    using Connection = std::uint64_t;

    BeforeAddEvent() = default;
    BeforeAddEvent(const BeforeAddEvent&) = delete;
    BeforeAddEvent& operator=(const BeforeAddEvent&) = delete;
    ~BeforeAddEvent();

    Connection connect(Handler handler);
    void disconnect(Connection connection);
    bool empty() const { return live_ == 0; }
    // Calls every handler in connection order. Handlers may connect, disconnect
    // and raise other events while it runs.
    void raise(std::string& SegValue, std::int32_t& SegCount, std::int16_t& bCancel);

    // False while no event of any object or control in the process has a
    // handler and no segment watcher is installed on any thread: then nobody
    // can be listening or watching, whatever forwards to what.
    static bool any_connected() { return connected_anywhere_.load(std::memory_order_relaxed) != 0; }
    // A segment watcher counts as a connection: segments must then take the
    // path that shows their bytes.
    static void watcher_installed() { connected_anywhere_.fetch_add(1, std::memory_order_relaxed); }
    static void watcher_removed() { connected_anywhere_.fetch_sub(1, std::memory_order_relaxed); }

private:
    static std::atomic<std::size_t> connected_anywhere_;

    struct Entry {
        Connection id;
        std::shared_ptr<Handler> handler;  // null once disconnected during a raise
    };
    std::vector<Entry> entries_;
    // Handlers disconnected during a raise: one of them may be running, so they
    // are destroyed once the outermost raise is over.
    std::vector<std::shared_ptr<Handler>> retired_;
    std::size_t live_ = 0;
    int raising_ = 0;
    Connection next_id_ = 1;
};

// Something that re-raises a segment object's BeforeAdd: the control holding it.
class EventForwarder {
public:
    virtual bool listening() const = 0;
    virtual void forward(std::string& SegValue, std::int32_t& SegCount, std::int16_t& bCancel) = 0;

protected:
    ~EventForwarder() = default;
};

class SegmentObject;

// Sees every segment the thread writes, exactly as it reaches the file (a
// guide checker). Installed in the writer state; it never changes anything.
class SegmentWatcher {
public:
    // OpenFile opened `path`; the segments written from now on go there.
    virtual void file_opened(const std::string& path) = 0;
    // Additem of `object` is about to announce its segment, assembled from the
    // fields as they are now.
    virtual void segment_begun(const SegmentObject& object) = 0;
    // The matching end: the segment as written to the file (ID to terminator,
    // in the file's bytes), or empty when it was not written (cancelled, no
    // open file, a failed step). Begun and ended pair like brackets: a
    // BeforeAdd handler may write other segments in between.
    virtual void segment_ended(std::string_view written) = 0;
    // CloseFile is about to close the file.
    virtual void file_closing() = 0;

protected:
    ~SegmentWatcher() = default;
};

class SegmentObject : public std::enable_shared_from_this<SegmentObject> {
public:
    SegmentObject(const SegmentObject&) = delete;
    SegmentObject& operator=(const SegmentObject&) = delete;
    virtual ~SegmentObject();

    // Formats the segment from the fields, raises BeforeAdd and, unless cancelled,
    // writes it (with the annotation line and newline the writer state asks for).
    void Additem();
    // Empties every field: text to "", code to 0. Writes nothing.
    // Like the public fields, it touches nothing but the object's own fields.
    void Clear() { desc_->clear_fields(fields_); }
    // The segment as the next Additem would announce it in SegValue, with the
    // writer state as it is now: ID, separator, element text and terminator.
    // Writes nothing, raises nothing and leaves the fields as they are (SE
    // shows the count it would fill in, ISA the component separator it would
    // take).
    std::string Preview();

    BeforeAddEvent BeforeAdd;

    const SegmentClassDescriptor& descriptor() const { return *desc_; }

    // Field access through a descriptor of this object's class.
    std::string& text(const FieldDescriptor& f) {
        return *reinterpret_cast<std::string*>(fields_ + f.offset);
    }
    const std::string& text(const FieldDescriptor& f) const {
        return *reinterpret_cast<const std::string*>(fields_ + f.offset);
    }
    std::int32_t code(const FieldDescriptor& f) const {
        std::int32_t v;
        std::memcpy(&v, fields_ + f.offset, sizeof v);
        return v;
    }
    void set_code(const FieldDescriptor& f, std::int32_t value) {
        std::memcpy(fields_ + f.offset, &value, sizeof value);
    }

    // The control holding this object registers here to re-raise its events.
    void add_forwarder(EventForwarder* forwarder);
    void remove_forwarder(EventForwarder* forwarder);

protected:
    SegmentObject(const SegmentClassDescriptor* descriptor, void* fields);

private:
    // Whether anyone hears this object's BeforeAdd: while no handler exists in
    // the process, nobody; otherwise the object and its controls are asked.
    bool listening() const { return BeforeAddEvent::any_connected() && anyone_listening(); }
    bool anyone_listening() const;
    bool add_compiled(WriterState& ws);
    // The general path of Additem. `reached`, when given, is set when the
    // segment reaches the file (the path then always shows its bytes).
    void add_general(WriterState& ws, bool heard, SegmentWatcher* watcher, bool* reached);
    // The general path for automatic bookkeeping: whether the segment reached the file.
    friend class Bookkeeper;
    bool add_reporting(WriterState& ws);
    void raise_before_add(std::string& value, std::int32_t& count, std::int16_t& cancel);

    const SegmentClassDescriptor* desc_;
    char* fields_;
    HomeThread home_;  // the thread that created the object
    std::vector<EventForwarder*> forwarders_;
};

constexpr std::uint8_t last_element(const FieldDescriptor* fields, std::size_t n) {
    std::uint8_t last = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (fields[i].element > last) last = fields[i].element;
    }
    return last;
}

// The field of an interchange header tied to the repetition separator, or nullptr.
constexpr const FieldDescriptor* repetition_separator_field(const FieldDescriptor* fields, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (fields[i].repetition_separator) return &fields[i];
    }
    return nullptr;
}

// A segment ID of 2 or 3 characters, padded with zeros to 4 bytes.
constexpr std::array<char, 4> padded_id(const char* id) {
    std::array<char, 4> bytes{};
    for (std::size_t i = 0; i < 3 && id[i]; ++i) bytes[i] = id[i];
    return bytes;
}

// Whether a class lists its fields in element order: elements ascending, a
// plain element (component 0) alone, a composite's components together and in
// ascending order. Every assembly relies on it: a composite is the run of
// fields with its element number, and its components are joined in the order
// listed.
constexpr bool fields_in_element_order(const FieldDescriptor* fields, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const FieldDescriptor& f = fields[i];
        if (f.element == 0) return false;
        if (i == 0 || fields[i - 1].element != f.element) {
            if (i > 0 && f.element < fields[i - 1].element) return false;
        } else if (fields[i - 1].component == 0 || f.component <= fields[i - 1].component) {
            return false;
        }
    }
    return true;
}

}  // namespace prjVireo
