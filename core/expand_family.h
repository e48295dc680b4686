// Expands one catalogue file into C++ declarations: the code list
// enumerations, their descriptors, and one field block and segment class per
// declared segment. Include it (it has no include guard) with
// VIREO_FAMILY_FILE naming the catalogue file, once per family header.
#ifndef VIREO_FAMILY_FILE
#error "define VIREO_FAMILY_FILE before including core/expand_family.h"
#endif

#include "core/segment.h"

#define VIREO_CODELIST(List)
#define VIREO_MEMBER(List, name, code)
#define VIREO_CODELIST_END(List)
#define VIREO_SEGMENT(Class, id, loop, label, assembly, counting)
#define VIREO_TEXT_FIELD(name, element, component)
#define VIREO_CODE_FIELD(name, element, component, List)
#define VIREO_FIXED_FIELD(name, element, width)
#define VIREO_UNWRITTEN_FIELD(name, element, component)
#define VIREO_SEGMENT_END(Class)

namespace prjVireo {

// Code list enumerations: each member holds the Code value of its code.
#undef VIREO_CODELIST
#undef VIREO_MEMBER
#undef VIREO_CODELIST_END
#define VIREO_CODELIST(List) enum class List : std::int32_t {
#define VIREO_MEMBER(List, name, code) name = ::prjVireo::code_value(code),
#define VIREO_CODELIST_END(List) };
#include VIREO_FAMILY_FILE

// Their descriptors, for name lookup and the type library.
namespace codelists {
#undef VIREO_CODELIST
#undef VIREO_MEMBER
#undef VIREO_CODELIST_END
#define VIREO_CODELIST(List) extern const CodeListDescriptor List;
#define VIREO_MEMBER(List, name, code)
#define VIREO_CODELIST_END(List)
#include VIREO_FAMILY_FILE
}  // namespace codelists
#undef VIREO_CODELIST
#define VIREO_CODELIST(List)

// Field blocks and segment classes. The host reads and writes the public
// fields directly; Additem, Clear and BeforeAdd come from SegmentObject.
#undef VIREO_SEGMENT
#undef VIREO_TEXT_FIELD
#undef VIREO_CODE_FIELD
#undef VIREO_FIXED_FIELD
#undef VIREO_UNWRITTEN_FIELD
#undef VIREO_SEGMENT_END
#define VIREO_SEGMENT(Class, id, loop, label, assembly, counting) struct Class##_fields {
#define VIREO_TEXT_FIELD(name, element, component) std::string name;
#define VIREO_CODE_FIELD(name, element, component, List) List name{};
#define VIREO_FIXED_FIELD(name, element, width) std::string name;
#define VIREO_UNWRITTEN_FIELD(name, element, component) std::string name;
#define VIREO_SEGMENT_END(Class)                                  \
    };                                                            \
    class Class final : public Class##_fields, public SegmentObject { \
    public:                                                       \
        Class();                                                  \
        static const SegmentClassDescriptor& Descriptor();        \
    };
#include VIREO_FAMILY_FILE

}  // namespace prjVireo

#undef VIREO_CODELIST
#undef VIREO_MEMBER
#undef VIREO_CODELIST_END
#undef VIREO_SEGMENT
#undef VIREO_TEXT_FIELD
#undef VIREO_CODE_FIELD
#undef VIREO_FIXED_FIELD
#undef VIREO_UNWRITTEN_FIELD
#undef VIREO_SEGMENT_END
#undef VIREO_FAMILY_FILE
