#pragma once
// An implementation guide as data: its loops and their nesting, the segment
// positions of each loop with their usage, repeats and the class that writes
// them, every element's usage, type, lengths and codes, and the X12 syntax
// notes. Each guide is declared once, in a file of VIREO_GUIDE_* lines beside
// its catalogue (the 4010 one: catalogues/professional_4010/guide.def), expanded by
// guide/define_guide.h into a Guide value; this is the form the rest of the
// project reads.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vireo/core/segment.h"

namespace prjVireo::typelib {
struct ClassNotes;
}
namespace prjVireo::catalogue {
class Catalogue;
}

namespace prjVireo::guide {

// R required, S situational, N not used: the guide's own letters.
enum class Usage : std::uint8_t { R, S, N };

// X12 data types: AN text, ID code, N0 integer, N2 integer with two implied
// decimals, R decimal number, DT date, TM time.
enum class DataType : std::uint8_t { AN, ID, N0, N2, R, DT, TM };

std::string_view usage_name(Usage usage);       // "required", "situational", "not used"
std::string_view type_name(DataType type);      // "AN", "ID", ...

// One entry of the data element dictionary.
struct DataElement {
    std::string_view number;  // "98", "I01"
    DataType type;
    std::uint16_t min_length;
    std::uint16_t max_length;
    std::string_view name;
};

// The codes an element takes: listed by the guide, or a code set kept apart
// (US states, countries, places of service...).
struct CodeList {
    std::string_view set;                // "" for codes listed with the element, else the set's name
    std::string_view title;              // the set's title, or ""
    std::vector<std::string_view> codes;  // sorted
    bool contains(std::string_view code) const;
};

// An X12 syntax note on the elements of a segment.
struct SyntaxNote {
    char kind;  // P paired, R at least one, C conditional, L list conditional, E exclusion
    std::vector<std::uint8_t> positions;
    std::string_view text;  // the positions as written, "0809"
};

// An element of a segment, or a component of a composite element.
struct Element {
    std::uint8_t position;  // element position, or component position within its composite
    Usage usage;
    const DataElement* data;  // nullptr for a composite
    std::string_view name;
    const CodeList* codes;                 // nullptr: any value of the type
    std::string_view composite;            // "C023" for a composite, else ""
    std::vector<Element> components;       // a composite's components
    bool is_composite() const { return !composite.empty(); }
};

struct Loop;

// A segment position of a loop.
struct Segment {
    std::string_view id;     // "NM1"
    std::uint16_t position;  // the guide's position number within its table
    Usage usage;
    std::uint16_t max_use;
    std::uint8_t qualifier;  // element whose codes tell this position from others of its ID; 0: the ID alone
    const SegmentClassDescriptor* segment_class;  // the class that writes it, or nullptr
    std::string_view name;
    std::vector<Element> elements;  // positions 1..N in order
    std::vector<SyntaxNote> syntax;
    const Loop* loop;  // the loop that declares it

    // The element at `position` (1..N), or nullptr.
    const Element* element(int position) const;
};

// A loop, or one of the envelope's levels (interchange, group, transaction).
struct Loop {
    std::string_view ident;  // L2300
    std::string_view shown;  // "2300"
    std::string_view name;   // "Claim Information"
    Usage usage;
    std::uint16_t repeat;    // 0: no limit
    std::uint16_t position;
    // The loop's segment positions and loops, in document order.
    struct Child {
        const Segment* segment;  // exactly one of the two is set
        const Loop* loop;
    };
    std::vector<Child> children;

    // Its first segment, which begins every occurrence of the loop.
    const Segment& first() const;
};

struct GuideData;

// One implementation guide, built from its declaration. Every pointer it hands
// out lives as long as the guide.
class Guide {
public:
    explicit Guide(const GuideData& data);
    ~Guide();
    Guide(const Guide&) = delete;
    Guide& operator=(const Guide&) = delete;

    // The guide's id as GS08 names it: "004010X098A1".
    std::string_view id() const;
    // The interchange: the root of the guide's loops.
    const Loop& interchange() const;
    // Every loop, and every segment position, in declaration order (a loop
    // nested twice is listed once).
    const std::vector<const Loop*>& loops() const;
    const std::vector<const Segment*>& segments() const;
    // The loop shown as `shown` ("2300", "ISA"), case-insensitive, or nullptr.
    const Loop* find_loop(std::string_view shown) const;
    // The positions the class writes (one or more for every class of the
    // guide's catalogue, none for a class of another).
    std::vector<const Segment*> positions_of(const SegmentClassDescriptor& segment_class) const;
    // The guide element (or component) a field of a class writes, or nullptr.
    const Element* element_of(const SegmentClassDescriptor& segment_class, const FieldDescriptor& field) const;
    // "SBR05 Insurance Type Code (situational, ID 1-3)": what the guide says
    // of a field of a class; "" when the guide has no such element.
    std::string describe(const SegmentClassDescriptor& segment_class, const FieldDescriptor& field) const;
    // What the type library says of a class and its fields from the guide: a
    // class's positions ("guide": [...]) and a field's element ("guide": {...}).
    const typelib::ClassNotes& typelib_notes() const;

private:
    void put_positions(std::string& out, const SegmentClassDescriptor& c) const;
    void put_element(std::string& out, const SegmentClassDescriptor& c, const FieldDescriptor& f) const;

    friend const Guide* guide_writing(const SegmentClassDescriptor& segment_class);
    struct Tables;
    std::unique_ptr<Tables> t_;
    std::unique_ptr<typelib::ClassNotes> notes_;
};

// The 837 Professional 4010 guide, 004010X098A1.
const Guide& professional_4010();

// The guides of the catalogues built into the library, in the order the build
// adds them, the 4010 one first.
std::vector<const Guide*> built_in();

// The guides this program knows, the 4010 one first. A program that brings a
// catalogue of its own registers its guide once, before it looks it up; a
// guide's id is its catalogue's name.
std::vector<const Guide*> registered_guides();
void register_guide(const Guide& guide);
// The registered guide whose id is `id` (case-insensitive), or nullptr.
const Guide* find_guide(std::string_view id);
// The guide of a catalogue (the one whose id is the catalogue's name), or nullptr.
const Guide* guide_of(const catalogue::Catalogue& catalogue);
// The registered guide one of whose positions the class writes, or nullptr.
const Guide* guide_writing(const SegmentClassDescriptor& segment_class);
// "004010X098A1, 005010X222A1": the ids of the registered guides, for messages.
std::string known_guides();

// "CLM05-1": the reference of an element (component 0: a plain element).
std::string reference(std::string_view segment_id, int element, int component = 0);
// "required, ID 1-3": usage, type and lengths of an element.
std::string summary(const Element& element);

}  // namespace prjVireo::guide
