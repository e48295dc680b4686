// Expands one catalogue file into C++ declarations: the code list
// enumerations, their descriptors, and one field block and segment class per
// declared segment. Include it (it has no include guard) with
// VIREO_FAMILY_FILE naming the catalogue file, once per family header.
// The classes and code lists go into namespace prjVireo, or into
// prjVireo::VIREO_CATALOGUE_NAMESPACE when the includer defines it (a
// catalogue beside the 4010 one, whose names may be the same).
#ifndef VIREO_FAMILY_FILE
#error "define VIREO_FAMILY_FILE before including core/expand_family.h"
#endif

#include "vireo/core/segment.h"

namespace prjVireo {
#ifdef VIREO_CATALOGUE_NAMESPACE
namespace VIREO_CATALOGUE_NAMESPACE {
#endif

// Code list enumerations: each member holds the Code value of its code.
#define VIREO_CODELIST(List) enum class List : std::int32_t {
#define VIREO_MEMBER(List, name, code) name = ::prjVireo::code_value(code),
#define VIREO_CODELIST_END(List) };
#include "vireo/core/catalogue_pass.h"

// Their descriptors, for name lookup and the type library.
namespace codelists {
#define VIREO_CODELIST(List) extern const CodeListDescriptor List;
#include "vireo/core/catalogue_pass.h"
}  // namespace codelists

// Each list's descriptor by its enum type, for from_code (found by
// argument-dependent lookup in the list's own namespace).
#define VIREO_CODELIST(List) \
    inline const CodeListDescriptor& code_list_of(List) { return codelists::List; }
#include "vireo/core/catalogue_pass.h"

// Field blocks and segment classes. The host reads and writes the public
// fields directly; Additem, Clear and BeforeAdd come from SegmentObject.
#define VIREO_SEGMENT(Class, id, loop, label, assembly, counting) struct Class##_fields {
#define VIREO_TEXT_FIELD(name, element, component) std::string name;
#define VIREO_CODE_FIELD(name, element, component, List) List name{};
#define VIREO_FIXED_FIELD(name, element, width) std::string name;
#define VIREO_UNWRITTEN_FIELD(name, element, component) std::string name;
#define VIREO_SEGMENT_END(Class)                                      \
    };                                                                \
    class Class final : public Class##_fields, public SegmentObject { \
    public:                                                           \
        Class();                                                      \
        static const SegmentClassDescriptor& Descriptor();            \
    };
#include "vireo/core/catalogue_pass.h"

#ifdef VIREO_CATALOGUE_NAMESPACE
}  // namespace VIREO_CATALOGUE_NAMESPACE
#endif
}  // namespace prjVireo

#undef VIREO_FAMILY_FILE
#undef VIREO_CATALOGUE_NAMESPACE
