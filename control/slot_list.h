// Reads a slot list at compile time, in the namespace where it is included:
// what core/slot_list.h gives, and kFirstSlotDispid and kLastSlotDispid. It
// refuses a slot list whose dispatch ids, counting down from the first, would
// reach the control's own members' ids: Invoke and NameOf look among the slots
// first, so such a member would be unreachable by id.
//
// No include guard: include it inside a namespace, after control/dispids.h,
// with VIREO_SLOT_LIST_FILE naming the slot list and
// VIREO_SLOT_LIST_FIRST_DISPID its first dispatch id; it undefines both.
#if !defined(VIREO_SLOT_LIST_FILE) || !defined(VIREO_SLOT_LIST_FIRST_DISPID)
#error "define VIREO_SLOT_LIST_FILE and VIREO_SLOT_LIST_FIRST_DISPID before including control/slot_list.h"
#endif

#include "vireo/core/slot_list.h"

constexpr ::prjVireo::DISPID kFirstSlotDispid = VIREO_SLOT_LIST_FIRST_DISPID;
constexpr ::prjVireo::DISPID kLastSlotDispid = kFirstSlotDispid - static_cast<::prjVireo::DISPID>(kSlotCount) + 1;

// Whether no slot's id is one of the control's own members' ids.
constexpr bool slot_ids_clear_of_control_members() {
    for (::prjVireo::DISPID id : ::prjVireo::dispids::kControlMembers) {
        if (id >= kLastSlotDispid && id <= kFirstSlotDispid) return false;
    }
    return true;
}

static_assert(slot_ids_clear_of_control_members(),
              "too many slots: their dispatch ids, counting down from the first slot's id, reach the ids of the "
              "control's own members");

#undef VIREO_SLOT_LIST_FIRST_DISPID
