// Reads a slot list at compile time, in the namespace where it is included:
// what core/slot_list.h gives, and kSlotDispids, every slot's dispatch id in
// slot order. It refuses a slot list that gives one id to two slots, or to a
// slot and one of the control's own members: Invoke and NameOf look among the
// slots first, so such a member would be unreachable by id.
//
// No include guard: include it inside a namespace, after control/dispids.h,
// with VIREO_SLOT_LIST_FILE naming the slot list; it undefines it.
#ifndef VIREO_SLOT_LIST_FILE
#error "define VIREO_SLOT_LIST_FILE before including control/slot_list.h"
#endif

inline constexpr ::prjVireo::DISPID kSlotDispids[] = {
#define VIREO_SLOT(Class, Description, ErrorMode, DispatchId) ::prjVireo::DISPID(DispatchId),
#include VIREO_SLOT_LIST_FILE
#undef VIREO_SLOT
};

#include "vireo/core/slot_list.h"

// Whether no slot's id is one of the control's own members' ids.
constexpr bool slot_ids_clear_of_control_members() {
    for (::prjVireo::DISPID id : ::prjVireo::dispids::kControlMembers) {
        for (::prjVireo::DISPID slot : kSlotDispids) {
            if (id == slot) return false;
        }
    }
    return true;
}

// Whether no two slots share an id.
constexpr bool slot_ids_distinct() {
    for (std::size_t i = 0; i < std::size(kSlotDispids); ++i) {
        for (std::size_t j = i + 1; j < std::size(kSlotDispids); ++j) {
            if (kSlotDispids[i] == kSlotDispids[j]) return false;
        }
    }
    return true;
}

static_assert(slot_ids_clear_of_control_members(),
              "a slot's dispatch id is one of the control's own members' ids: give the slot an id of its own");
static_assert(slot_ids_distinct(), "two slots share a dispatch id: give each slot an id of its own");
