#pragma once
// Dispatch ids: the control's own members, and the segment object properties
// of the 4010 catalogue (the slots of catalogues/professional_4010/slots.def, each with the id the
// list gives it). The slot list is read here at compile time (control/slot_list.h
// says what that checks).
//
// VIREO_SLOTS_FILE names the slot list and VIREO_MEMBERS_FILE the control's
// own members; they are catalogues/professional_4010/slots.def and control/members.def unless the
// includer says otherwise before the first include.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#ifndef VIREO_SLOTS_FILE
#define VIREO_SLOTS_FILE "vireo/catalogues/professional_4010/slots.def"
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

// The 4010 catalogue's slot list (catalogues/professional_4010/slots.def unless VIREO_SLOTS_FILE
// names another), read and checked at compile time.
namespace slot_list {
#define VIREO_SLOT_LIST_FILE VIREO_SLOTS_FILE
#include "vireo/control/slot_list.h"
}  // namespace slot_list
}  // namespace prjVireo
