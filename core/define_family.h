// Defines what core/expand_family.h declares for one catalogue file: the code
// list descriptors, the field descriptor tables, the class descriptors and the
// constructors. Include it (no include guard) in exactly one source file per
// family, after the family header, with VIREO_FAMILY_FILE naming the file and
// VIREO_CATALOGUE_SLOTS the slot list of the family's catalogue
// (catalogues/professional_4010/slots.def for the 4010 one): every class the family declares must
// have exactly one slot there. A family whose catalogue checks its classes
// itself defines VIREO_FAMILY_SLOTS_CHECKED_BY_CATALOGUE instead. A family of
// a catalogue beside the 4010 one also defines, as its header does,
// VIREO_CATALOGUE_NAMESPACE. All of them are undefined at the end.
#ifndef VIREO_FAMILY_FILE
#error "define VIREO_FAMILY_FILE before including core/define_family.h"
#endif

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>

#include "vireo/core/compiled_assembly.h"

#if !defined(VIREO_CATALOGUE_SLOTS) && !defined(VIREO_FAMILY_SLOTS_CHECKED_BY_CATALOGUE)
#error "a family names the slot list of its catalogue: define VIREO_CATALOGUE_SLOTS before including core/define_family.h"
#endif

namespace prjVireo {
#ifdef VIREO_CATALOGUE_NAMESPACE
namespace VIREO_CATALOGUE_NAMESPACE {
#endif
#ifdef VIREO_CATALOGUE_SLOTS
namespace family_slots {
#define VIREO_SLOT_LIST_FILE VIREO_CATALOGUE_SLOTS
#include "vireo/core/slot_list.h"
}  // namespace family_slots
#define VIREO_FAMILY_SLOT_CHECK(Class)                                                         \
    static_assert(family_slots::slots_of_class(#Class) == 1,                                  \
                  #Class ": a declared class needs exactly one slot in the slot list "         \
                  "of its catalogue (catalogues/professional_4010/slots.def for the 4010 one)");
#else
#define VIREO_FAMILY_SLOT_CHECK(Class)
#endif
namespace codelists {
#define VIREO_CODELIST(List) static constexpr CodeMember List##_members[] = {
#define VIREO_MEMBER(List, name, code) {#name, code, ::prjVireo::code_value(code)},
#define VIREO_CODELIST_END(List) \
    };                           \
    extern const CodeListDescriptor List{#List, List##_members, std::size(List##_members)};
#include "vireo/core/catalogue_pass.h"
}  // namespace codelists

#define VIREO_SEGMENT(Class, id, loop, label, assembly, counting)                          \
    static_assert(std::is_standard_layout_v<Class##_fields>,                             \
                  "field blocks must be standard-layout for their offsets");             \
    namespace layout_##Class {                                                          \
    using F = Class##_fields;                                                           \
    inline constexpr const char* kId = id;                                              \
    static_assert(std::char_traits<char>::length(id) >= 2 && std::char_traits<char>::length(id) <= 3, \
                  "a segment ID has 2 or 3 characters");                                \
    inline constexpr const char* kLoop = loop;                                          \
    inline constexpr const char* kLabel = label;                                        \
    inline constexpr Assembly kAssembly = Assembly::assembly;                           \
    inline constexpr Counting kCounting = Counting::counting;                           \
    constexpr FieldDescriptor fields[] = {
#define VIREO_TEXT_FIELD(name, element, component) \
    {#name, FieldKind::Text, element, component, 0, nullptr, offsetof(F, name), false},
#define VIREO_CODE_FIELD(name, element, component, List) \
    {#name, FieldKind::Code, element, component, 0, &codelists::List, offsetof(F, name), false},
#define VIREO_FIXED_FIELD(name, element, width) \
    {#name, FieldKind::Fixed, element, 0, width, nullptr, offsetof(F, name), false},
#define VIREO_REPETITION_SEPARATOR_FIELD(name, element) \
    {#name, FieldKind::Fixed, element, 0, 1, nullptr, offsetof(F, name), true},
#define VIREO_UNWRITTEN_FIELD(name, element, component) \
    {#name, FieldKind::Unwritten, element, component, 0, nullptr, offsetof(F, name), false},
#define VIREO_SEGMENT_END(Class)                                                          \
    };                                                                                  \
    VIREO_FAMILY_SLOT_CHECK(Class)                                                      \
    static_assert(fields_in_element_order(fields, std::size(fields)),                    \
                  #Class ": fields must be listed in element order, a composite's "      \
                  "components together and in ascending order");                          \
    static_assert(!repetition_separator_field(fields, std::size(fields)) ||             \
                      kAssembly == Assembly::Interchange,                                \
                  #Class ": only an interchange header declares the repetition separator"); \
    constexpr SegmentClassDescriptor descriptor{                                        \
        #Class, kId, padded_id(kId),                                                    \
        static_cast<std::uint8_t>(std::char_traits<char>::length(kId)),                 \
        kLoop, kLabel, kAssembly, kCounting, fields, std::size(fields),                 \
        last_element(fields, std::size(fields)),                                        \
        compiled::body_writer<fields, kAssembly, false>(),                              \
        compiled::body_writer<fields, kAssembly, true>(), compiled::body_room<fields>(), \
        &compiled::clear_fields<fields>};                                               \
    }                                                                                   \
    const SegmentClassDescriptor& Class::Descriptor() { return layout_##Class::descriptor; } \
    Class::Class() : SegmentObject(&layout_##Class::descriptor, static_cast<Class##_fields*>(this)) {}
#include "vireo/core/catalogue_pass.h"
#ifdef VIREO_CATALOGUE_NAMESPACE
}  // namespace VIREO_CATALOGUE_NAMESPACE
#endif
}  // namespace prjVireo

#undef VIREO_FAMILY_SLOT_CHECK
#undef VIREO_FAMILY_FILE
#undef VIREO_CATALOGUE_NAMESPACE
#undef VIREO_CATALOGUE_SLOTS
#undef VIREO_FAMILY_SLOTS_CHECKED_BY_CATALOGUE
