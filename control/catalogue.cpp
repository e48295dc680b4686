#include "vireo/control/catalogue.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "vireo/core/errors.h"

namespace prjVireo {
namespace catalogue {

Catalogue::Catalogue(std::string_view name, std::string_view description, std::vector<Slot> slots, Lineage lineage)
    : name_(name), description_(description), slots_(std::move(slots)), lineage_(std::move(lineage)) {
    by_dispid_.reserve(slots_.size());
    for (std::size_t i = 0; i < slots_.size(); ++i) by_dispid_.emplace_back(slots_[i].dispid, i);
    std::sort(by_dispid_.begin(), by_dispid_.end());
    const auto twice = std::adjacent_find(by_dispid_.begin(), by_dispid_.end(),
                                          [](const auto& a, const auto& b) { return a.first == b.first; });
    if (twice != by_dispid_.end()) {
        throw std::invalid_argument("catalogue " + std::string(name) + ": slots " +
                                    std::string(slots_[twice->second].property) + " and " +
                                    std::string(slots_[(twice + 1)->second].property) + " share dispatch id " +
                                    std::to_string(twice->first));
    }
    std::unordered_set<const CodeListDescriptor*> seen;
    for (const Slot& s : slots_) {
        const SegmentClassDescriptor& c = *s.segment_class;
        if (repetition_separator_field(c.fields, c.field_count)) has_repetition_separator_ = true;
        for (std::size_t i = 0; i < c.field_count; ++i) {
            const CodeListDescriptor* l = c.fields[i].codelist;
            if (l && seen.insert(l).second) codelists_.push_back(l);
        }
    }
    for (const auto& [from, to] : lineage_.classes) {
        if (std::string_view(from->segment_id) != std::string_view(to->segment_id)) {
            throw std::invalid_argument("catalogue " + std::string(name) + ": " + from->name + " of " +
                                        std::string(lineage_.follows) + " cannot become " + to->name +
                                        ", which writes another segment");
        }
    }
}

std::ptrdiff_t Catalogue::slot_of_dispid(DISPID id) const {
    const auto at = std::lower_bound(by_dispid_.begin(), by_dispid_.end(), id,
                                     [](const auto& entry, DISPID wanted) { return entry.first < wanted; });
    return at != by_dispid_.end() && at->first == id ? static_cast<std::ptrdiff_t>(at->second) : -1;
}

const Slot* Catalogue::find_slot(std::string_view name) const {
    for (const Slot& s : slots_) {
        if (same_name(s.property, name) || same_name(s.segment_class->name, name)) return &s;
    }
    return nullptr;
}

namespace {

std::mutex g_registry_mutex;

std::vector<const Catalogue*>& registry() {
    static std::vector<const Catalogue*> list = built_in();
    return list;
}

}  // namespace

std::vector<const Catalogue*> registered() {
    std::lock_guard lock(g_registry_mutex);
    return registry();
}

void register_catalogue(const Catalogue& catalogue) {
    std::lock_guard lock(g_registry_mutex);
    auto& list = registry();
    if (std::find(list.begin(), list.end(), &catalogue) != list.end()) return;
    for (const Catalogue* c : list) {
        if (same_name(c->name(), catalogue.name())) {
            throw VbError(vbErrInvalidProcedureCall,
                          "a catalogue named " + std::string(catalogue.name()) + " is already registered");
        }
    }
    list.push_back(&catalogue);
}

const Catalogue* find_catalogue(std::string_view name) {
    std::lock_guard lock(g_registry_mutex);
    for (const Catalogue* c : registry()) {
        if (same_name(c->name(), name)) return c;
    }
    return nullptr;
}

}  // namespace catalogue

}  // namespace prjVireo
