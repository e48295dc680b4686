#pragma once
// Dispatch ids: the control's own members, and its segment object properties
// (the slots of control/slots.def), which count down from kFirstSlotDispid in
// slot order. The slot list is read here at compile time, so that a slot list
// whose ids would run into the control's own ids, or a class declared without
// exactly one slot (core/define_family.h asks slots_of_class), fails the build.
//
// VIREO_SLOTS_FILE names the slot list and VIREO_MEMBERS_FILE the control's
// own members; they are control/slots.def and control/members.def unless the
// includer says otherwise before the first include.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#ifndef VIREO_SLOTS_FILE
#define VIREO_SLOTS_FILE "vireo/control/slots.def"
#endif
#ifndef VIREO_MEMBERS_FILE
#define VIREO_MEMBERS_FILE "vireo/control/members.def"
#endif

namespace prjVireo {

using DISPID = std::int32_t;

namespace dispids {

// The control's eight properties and five methods, from control/members.def.
#define VIREO_CONTROL_PROPERTY(Name, Dispid, ...) constexpr DISPID k##Name = Dispid;
#define VIREO_CONTROL_METHOD(Name, Constant, Dispid, ...) constexpr DISPID Constant = Dispid;
#include VIREO_MEMBERS_FILE
#undef VIREO_CONTROL_PROPERTY
#undef VIREO_CONTROL_METHOD

constexpr DISPID kControlMembers[] = {
#define VIREO_CONTROL_PROPERTY(Name, Dispid, ...) Dispid,
#define VIREO_CONTROL_METHOD(Name, Constant, Dispid, ...) Dispid,
#include VIREO_MEMBERS_FILE
#undef VIREO_CONTROL_PROPERTY
#undef VIREO_CONTROL_METHOD
};

// No two members of the control share a dispatch id.
constexpr bool control_member_ids_distinct() {
    for (std::size_t i = 0; i < std::size(kControlMembers); ++i) {
        for (std::size_t j = i + 1; j < std::size(kControlMembers); ++j) {
            if (kControlMembers[i] == kControlMembers[j]) return false;
        }
    }
    return true;
}
static_assert(control_member_ids_distinct(), "two members in control/members.def share a dispatch id");

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
