// The typed segment object properties of a control, from its catalogue's slot
// list: for every VIREO_SLOT(Class, Description, ErrorMode, DispatchId), the pair
//   std::shared_ptr<Class> Class_Description() const;
//   void Class_Description(std::shared_ptr<Class> value);
// and slot_index::Class, the slot's index. Include it (no include guard) in the
// public part of a class derived from basic_vireo whose catalogue was declared from
// the same slot list, with VIREO_SLOT_PROPERTIES_FILE naming it.
#ifndef VIREO_SLOT_PROPERTIES_FILE
#error "define VIREO_SLOT_PROPERTIES_FILE before including control/slot_properties.h"
#endif

struct slot_index {
    enum : std::size_t {
#define VIREO_SLOT(Class, Description, ErrorMode, DispatchId) Class,
#include VIREO_SLOT_PROPERTIES_FILE
#undef VIREO_SLOT
    };
};

#define VIREO_SLOT(Class, Description, ErrorMode, DispatchId)                                   \
    std::shared_ptr<Class> Class##_##Description() const {                                      \
        return std::static_pointer_cast<Class>(slot_member(slot_index::Class, #Class "_" #Description)); \
    }                                                                                           \
    void Class##_##Description(std::shared_ptr<Class> value) {                                  \
        hold_slot(slot_index::Class, std::move(value), #Class "_" #Description);                \
    }
#include VIREO_SLOT_PROPERTIES_FILE
#undef VIREO_SLOT
#undef VIREO_SLOT_PROPERTIES_FILE
