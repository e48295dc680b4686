#include "vireo/tools/runner/script_names.h"

#include <bit>
#include <map>
#include <mutex>
#include <string>

#include "vireo/control/catalogue.h"
#include "vireo/control/dispatch.h"

namespace vireo_runner {

using namespace prjVireo;

void NameIndex::add(std::string_view name) {
    names.push_back(name);
    // At most a quarter full, so that a probe is nearly always one look.
    if (table.size() < names.size() * 4) {
        table.assign(std::bit_ceil(names.size() * 8), 0);
        for (std::size_t i = 0; i < names.size(); ++i) place(i);
    } else {
        place(names.size() - 1);
    }
}

// A name given twice is found as its first entry, which is placed first.
void NameIndex::place(std::size_t index) {
    const std::size_t mask = table.size() - 1;
    for (std::size_t h = hash(names[index]) & mask;; h = (h + 1) & mask) {
        if (table[h] == 0) {
            table[h] = static_cast<std::uint32_t>(index + 1);
            return;
        }
    }
}

std::optional<std::size_t> NameIndex::find_ignoring_case(std::string_view name) const {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (same_name(names[i], name)) return i;
    }
    return std::nullopt;
}

const CatalogueIndexes& indexes_of(const catalogue::Catalogue& catalogue) {
    static std::mutex mutex;
    static std::map<const catalogue::Catalogue*, CatalogueIndexes> built;
    std::lock_guard lock(mutex);
    auto [at, added] = built.try_emplace(&catalogue);
    if (added) {
        for (const auto& s : catalogue.slots()) {
            at->second.slots.add(s.property);
            NameIndex ix;
            for (std::size_t i = 0; i < s.segment_class->field_count; ++i) ix.add(s.segment_class->fields[i].name);
            at->second.fields.push_back(std::move(ix));
        }
    }
    return at->second;
}

}  // namespace vireo_runner
