// Defines a catalogue from its slot list: in the namespace where it is
// included, `const catalogue::Catalogue& declared_catalogue()`. Include it (no
// include guard) in one source file per catalogue, after the headers of every
// class the slot list names, with
//   VIREO_CATALOGUE_SLOTS         the slot list file (VIREO_SLOT lines)
//   VIREO_CATALOGUE_NAME          its name, a string
//   VIREO_CATALOGUE_DESCRIPTION   the type library's description, a string
// and, for a catalogue that follows another,
//   VIREO_CATALOGUE_FOLLOWS       the name of the catalogue it follows, a string
//   VIREO_CATALOGUE_PORTED        the file of VIREO_PORTED(OldClass, NewClass)
//                                 lines: the classes it kept of that one (the
//                                 old classes qualified from ::prjVireo::)
// The slot list, which gives each slot its dispatch id, is checked at compile
// time as control/slot_list.h says.
#if !defined(VIREO_CATALOGUE_SLOTS) || !defined(VIREO_CATALOGUE_NAME) || !defined(VIREO_CATALOGUE_DESCRIPTION)
#error "define VIREO_CATALOGUE_SLOTS, _NAME and _DESCRIPTION before including control/define_catalogue.h"
#endif

#include <memory>
#include <string_view>

#include "vireo/control/catalogue.h"

namespace declared_slots {
#define VIREO_SLOT_LIST_FILE VIREO_CATALOGUE_SLOTS
#include "vireo/control/slot_list.h"
}  // namespace declared_slots

const ::prjVireo::catalogue::Catalogue& declared_catalogue() {
    static const ::prjVireo::catalogue::Catalogue catalogue = [] {
        std::vector<::prjVireo::catalogue::Slot> slots;
#define VIREO_SLOT(Class, Description, ErrorMode, DispatchId)                                           \
    slots.push_back({&Class::Descriptor(), #Class "_" #Description, ::prjVireo::DISPID(DispatchId),    \
                     ::prjVireo::catalogue::SlotErrorMode::ErrorMode ==                               \
                         ::prjVireo::catalogue::SlotErrorMode::AlwaysReported,                         \
                     []() -> std::shared_ptr<::prjVireo::SegmentObject> { return std::make_shared<Class>(); }});
#include VIREO_CATALOGUE_SLOTS
#undef VIREO_SLOT
        ::prjVireo::catalogue::Lineage lineage;
#ifdef VIREO_CATALOGUE_FOLLOWS
        lineage.follows = VIREO_CATALOGUE_FOLLOWS;
#define VIREO_PORTED(OldClass, NewClass) \
    lineage.classes.push_back({&::prjVireo::OldClass::Descriptor(), &NewClass::Descriptor()});
#include VIREO_CATALOGUE_PORTED
#undef VIREO_PORTED
#endif
        return ::prjVireo::catalogue::Catalogue(VIREO_CATALOGUE_NAME, VIREO_CATALOGUE_DESCRIPTION, std::move(slots),
                                                std::move(lineage));
    }();
    return catalogue;
}

#undef VIREO_CATALOGUE_SLOTS
#undef VIREO_CATALOGUE_NAME
#undef VIREO_CATALOGUE_DESCRIPTION
#undef VIREO_CATALOGUE_FOLLOWS
#undef VIREO_CATALOGUE_PORTED
