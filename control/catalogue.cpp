#include "vireo/control/catalogue.h"

#include <unordered_set>

namespace prjVireo::catalogue {

const std::vector<Slot>& slots() {
    static const std::vector<Slot> table = [] {
        std::vector<Slot> t;
        DISPID id = kFirstSlotDispid;
#define VIREO_SLOT(Class, Description, ErrorMode) \
    t.push_back({&Class::Descriptor(), #Class "_" #Description, id--, std::string_view(#ErrorMode) == "AlwaysReported"});
#include "vireo/control/slots.def"
#undef VIREO_SLOT
        return t;
    }();
    return table;
}

const Slot* find_slot(std::string_view name) {
    for (const Slot& s : slots()) {
        if (same_name(s.property, name) || same_name(s.segment_class->name, name)) return &s;
    }
    return nullptr;
}

const std::vector<const CodeListDescriptor*>& codelists() {
    static const std::vector<const CodeListDescriptor*> lists = [] {
        std::vector<const CodeListDescriptor*> out;
        std::unordered_set<const CodeListDescriptor*> seen;
        for (const Slot& s : slots()) {
            const SegmentClassDescriptor& c = *s.segment_class;
            for (std::size_t i = 0; i < c.field_count; ++i) {
                const CodeListDescriptor* l = c.fields[i].codelist;
                if (l && seen.insert(l).second) out.push_back(l);
            }
        }
        return out;
    }();
    return lists;
}

}  // namespace prjVireo::catalogue
