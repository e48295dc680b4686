#pragma once
// The names a script uses: the segment object properties of a catalogue and
// the fields of each one's class, found as the control's late binding finds
// them, and the verbs of a step.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace prjVireo::catalogue {
class Catalogue;
}

namespace vireo_runner {

// Exact names first (the common case, hashed), then the case-insensitive
// match late binding allows. A row names its segment object property every
// time, so the exact lookup is an open-addressed table hashed on a name's
// length and its first and last eight characters, where names differ
// ("L2300_CLM_00_CLMInfo").
struct NameIndex {
    std::vector<std::string_view> names;
    std::vector<std::uint32_t> table;  // 1 + an index into names; 0 for an empty place

    static std::size_t hash(std::string_view name) {
        std::uint64_t head = 0, tail = 0;
        if (name.size() >= 8) {
            std::memcpy(&head, name.data(), 8);
            std::memcpy(&tail, name.data() + name.size() - 8, 8);
        } else if (!name.empty()) {
            std::memcpy(&head, name.data(), name.size());
        }
        const std::uint64_t h = (head * 0x9E3779B97F4A7C15ULL) ^ (tail * 0xC2B2AE3D27D4EB4FULL) ^ name.size();
        return static_cast<std::size_t>(h ^ (h >> 29));
    }

    void add(std::string_view name);
    // Inline: a row looks its property up every time.
    std::optional<std::size_t> find(std::string_view name) const {
        if (!table.empty()) {
            const std::size_t mask = table.size() - 1;
            for (std::size_t h = hash(name) & mask; table[h] != 0; h = (h + 1) & mask) {
                if (names[table[h] - 1] == name) return table[h] - 1;
            }
        }
        return find_ignoring_case(name);
    }

private:
    void place(std::size_t index);
    std::optional<std::size_t> find_ignoring_case(std::string_view name) const;
};

// A catalogue's property names, and the field names of every slot's class, by slot.
struct CatalogueIndexes {
    NameIndex slots;
    std::vector<NameIndex> fields;
};

// Built once per catalogue and kept for the process: runs on any thread share them.
const CatalogueIndexes& indexes_of(const prjVireo::catalogue::Catalogue& catalogue);

// Verbs of a step besides a segment object property.
inline constexpr std::string_view kComment = "#";
inline constexpr std::string_view kSet = "set";
inline constexpr std::string_view kClear = "clear";
inline constexpr std::string_view kAssign = "assign";
inline constexpr std::string_view kAdditem = "additem";
inline constexpr std::string_view kColumns = "columns";

}  // namespace vireo_runner
