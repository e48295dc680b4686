#pragma once
// The guide compiled for checking: the loop tree with the claim loop copied
// under each level that holds it, each loop's children with their order, usage
// and repeats, the candidates for every segment ID in every loop, and per
// segment position the checks of its elements and its written rules. Built
// once per guide, from the guide and its table of written rules, and shared by
// every checker of that guide.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "vireo/checker/rules.h"
#include "vireo/guide/guide.h"

namespace prjVireo::checking {

// Segment IDs the guide knows, as small numbers; kUnknownId for any other.
constexpr std::uint16_t kUnknownId = 0xFFFF;

// Packs up to 8 characters, first character in the low byte; 0 for more.
inline std::uint64_t pack_code(std::string_view code) {
    std::uint64_t v = 0;
    const std::size_t n = code.size();
    if (n > 8) return 0;
    for (std::size_t i = 0; i < n; ++i) v |= std::uint64_t{static_cast<unsigned char>(code[i])} << (8 * i);
    return v;
}

// A code list ready for lookup: codes of up to 8 characters packed in an integer.
struct CodeTable {
    std::vector<std::uint64_t> packed;      // sorted
    std::vector<std::string_view> longer;   // codes of more than 8 characters, sorted
    const guide::CodeList* list = nullptr;

    bool contains(std::string_view code) const {
        if (code.size() > 8) return std::binary_search(longer.begin(), longer.end(), code);
        if (code.empty()) return false;
        const std::uint64_t key = pack_code(code);
        // Most lists are short: a scan beats a search.
        if (packed.size() <= 16) {
            for (std::uint64_t c : packed) {
                if (c == key) return true;
            }
            return false;
        }
        return std::binary_search(packed.begin(), packed.end(), key);
    }
};

// What a value must look like beyond its type: dates whose format another
// element names (DTP03 after DTP02 = D8 or RD8).
enum class ValueRule : std::uint8_t { None, DatePeriod };

// An interchange header element whose value is a delimiter itself, of any
// character: ISA16 the component separator, 5010's ISA11 (I65) the
// repetition separator.
enum class DeclaredDelimiter : std::uint8_t { None, Component, Repetition };

struct ElementCheck {
    const guide::Element* element;
    guide::Usage usage;
    guide::DataType type;
    std::uint16_t min_length;
    std::uint16_t max_length;
    const CodeTable* codes;        // nullptr: any value of the type
    ValueRule rule = ValueRule::None;
    std::uint8_t format_element = 0;  // DatePeriod: the element holding the format qualifier
    std::uint16_t first_component = 0;  // composite: its components in SegmentCheck::components
    std::uint8_t component_count = 0;
    bool composite = false;
    DeclaredDelimiter declares = DeclaredDelimiter::None;
};

struct SyntaxCheck {
    const guide::SyntaxNote* note;
    std::uint64_t first;   // bit of the first position
    std::uint64_t all;     // bits of every position
};

struct SegmentCheck {
    const guide::Segment* segment;
    std::vector<ElementCheck> elements;    // positions 1..N
    std::vector<ElementCheck> components;  // of all composites
    std::vector<SyntaxCheck> syntax;
    // The written rules of this position, in the order of the guide's table.
    static constexpr int kMaxRules = 2;
    RuleFunction rules[kMaxRules] = {};
    std::uint8_t rule_count = 0;
    std::uint64_t required = 0;            // bits of the required elements
    std::uint8_t qualifier = 0;            // element telling this position from others of its ID
    bool qualifier_in_composite = false;   // ... by its first component's code
    const CodeTable* qualifier_codes = nullptr;
    std::uint16_t id = kUnknownId;
};

// A loop occurrence in the expanded tree.
struct Node {
    const guide::Loop* loop;
    int parent = -1;            // node index
    int index_in_parent = -1;   // child index within the parent
    int hl_parent = -1;         // the nearest enclosing node that is an HL level, or -1
    bool hl_level = false;      // begins with HL
    bool claim = false;         // 2300
    bool service_line = false;  // 2400
    bool subscriber = false;    // 2000B
    bool patient = false;       // 2000C
    int depth = 0;
    struct Child {
        int node = -1;        // a loop
        int check = -1;       // a segment position: index into Tables::checks
        std::uint16_t id;     // its segment ID, or that of the loop's first segment
        std::uint16_t rank;   // children of equal rank come in any order
        guide::Usage usage;
        std::uint16_t max;    // maximum use or repeat; 0: no limit
        int first_check;      // the check of the segment (or the loop's first segment)
    };
    std::vector<Child> children;
    std::vector<std::uint16_t> group_start;  // per child: the first child of its rank
    std::uint64_t required = 0;               // children that are required
    std::vector<std::uint64_t> before;        // per child: the children that must have come when it comes
    // Candidates by segment ID: children whose ID (or first segment's) is that ID.
    std::vector<std::uint32_t> candidates_at;  // per ID: offset into candidates, count in the high byte
    std::vector<std::uint8_t> candidates;
};

struct Tables {
    const guide::Guide* guide = nullptr;
    std::vector<Node> nodes;           // nodes[0]: the interchange
    std::vector<SegmentCheck> checks;  // one per guide segment position
    std::vector<std::string_view> ids;  // segment ID of each ID number
    std::vector<const CodeTable*> tables_store;
    int max_depth = 0;

    // The ID number of a segment ID (2 or 3 characters), or kUnknownId.
    std::uint16_t id_of(std::string_view id) const {
        if (id.size() < 2 || id.size() > 3) return kUnknownId;
        std::uint32_t key = static_cast<unsigned char>(id[0]) | static_cast<unsigned char>(id[1]) << 8;
        if (id.size() == 3) key |= static_cast<std::uint32_t>(static_cast<unsigned char>(id[2])) << 16;
        std::uint32_t h = (key * 2654435761u) >> 7;
        for (;;) {
            const std::uint32_t k = id_hash_keys[h & id_hash_mask];
            if (k == key) return id_hash_values[h & id_hash_mask];
            if (k == 0) return kUnknownId;
            ++h;
        }
    }
    // Open addressing over the packed ID.
    std::vector<std::uint32_t> id_hash_keys;
    std::vector<std::uint16_t> id_hash_values;
    std::uint32_t id_hash_mask = 0;

    const SegmentCheck& check_of(const guide::Segment& segment) const;
};

// The tables of a guide, built the first time they are asked for.
const Tables& tables_for(const guide::Guide& guide);

}  // namespace prjVireo::checking
