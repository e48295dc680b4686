#pragma once
// Dispatch ids: the control's own members, and its segment object properties
// (the slots of control/slots.def), which count down from kFirstSlotDispid in
// slot order. The slot list is read here at compile time, so that a slot list
// whose ids would run into the control's own ids, or a class declared without
// exactly one slot (core/define_family.h asks slots_of_class), fails the build.
//
// VIREO_SLOTS_FILE names the slot list; it is control/slots.def unless the
// includer says otherwise before the first include.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#ifndef VIREO_SLOTS_FILE
#define VIREO_SLOTS_FILE "vireo/control/slots.def"
#endif

namespace prjVireo {

using DISPID = std::int32_t;

namespace dispids {

// The control's eight properties and five methods (the About box has the
// standard id), and the segment objects' two methods.
constexpr DISPID kErrorTrap = 0x68030007, kFilename = 0x68030006, kDataElementSeparator = 0x68030005,
                 kSubelementSeparator = 0x68030004, kSegmentTerminator = 0x68030003, kSegCount = 0x68030002,
                 kNewLine = 0x68030001, kAnnotation = 0x68030000;
constexpr DISPID kOpenFile = 0x600300E3, kCloseFile = 0x600300E4, kDateToCCYYMMDD = 0x600300E5,
                 kShowAboutBox = -552, kStringToHex = 0x600301CB;
constexpr DISPID kControlMembers[] = {kErrorTrap, kFilename,   kDataElementSeparator, kSubelementSeparator,
                                      kSegmentTerminator, kSegCount, kNewLine, kAnnotation,
                                      kOpenFile, kCloseFile, kDateToCCYYMMDD, kShowAboutBox, kStringToHex};

}  // namespace dispids

namespace catalogue {

constexpr DISPID kFirstSlotDispid = 0x680300E1;

// The class of every slot, in slot order.
inline constexpr std::string_view kSlotClasses[] = {
#define VIREO_SLOT(Class, Description, ErrorMode) std::string_view(#Class),
#include VIREO_SLOTS_FILE
#undef VIREO_SLOT
};
constexpr std::size_t kSlotCount = std::size(kSlotClasses);
constexpr DISPID kLastSlotDispid = kFirstSlotDispid - static_cast<DISPID>(kSlotCount) + 1;

// How many slots hold the class `name`.
constexpr std::size_t slots_of_class(std::string_view name) {
    std::size_t n = 0;
    for (std::string_view c : kSlotClasses) n += c == name;
    return n;
}

// Whether no slot's id is one of the control's own members' ids: Invoke and
// NameOf look among the slots first, so a member whose id a slot took would
// be unreachable by id.
constexpr bool slot_ids_clear_of_control_members() {
    for (DISPID id : dispids::kControlMembers) {
        if (id >= kLastSlotDispid && id <= kFirstSlotDispid) return false;
    }
    return true;
}

static_assert(slot_ids_clear_of_control_members(),
              "too many slots: their dispatch ids, counting down from 0x680300E1, reach the ids of the "
              "control's own members");

}  // namespace catalogue
}  // namespace prjVireo
