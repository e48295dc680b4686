// Reads a catalogue's slot list (a file of VIREO_SLOT(Class, Description,
// ErrorMode, DispatchId) lines) at compile time, in the namespace where it is included:
// kSlotClasses (the class of every slot, in slot order), kSlotCount and
// slots_of_class(name). core/define_family.h asks slots_of_class, so that a
// class declared without exactly one slot fails the build.
//
// No include guard: include it inside a namespace, with VIREO_SLOT_LIST_FILE
// naming the slot list; it undefines it.
#ifndef VIREO_SLOT_LIST_FILE
#error "define VIREO_SLOT_LIST_FILE before including core/slot_list.h"
#endif

inline constexpr std::string_view kSlotClasses[] = {
#define VIREO_SLOT(Class, Description, ErrorMode, DispatchId) std::string_view(#Class),
#include VIREO_SLOT_LIST_FILE
#undef VIREO_SLOT
};
constexpr std::size_t kSlotCount = std::size(kSlotClasses);

// How many slots hold the class `name`.
constexpr std::size_t slots_of_class(std::string_view name) {
    std::size_t n = 0;
    for (std::string_view c : kSlotClasses) n += c == name;
    return n;
}

#undef VIREO_SLOT_LIST_FILE
