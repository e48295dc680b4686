// One pass over a catalogue file. The includer defines the VIREO_* macros it
// needs for the artefact it builds; this header gives every other macro an
// empty expansion, expands VIREO_FAMILY_FILE, and undefines them all again, so
// the next pass starts clean. No include guard: it is included once per pass.
#ifndef VIREO_CODELIST
#define VIREO_CODELIST(List)
#endif
#ifndef VIREO_MEMBER
#define VIREO_MEMBER(List, name, code)
#endif
#ifndef VIREO_CODELIST_END
#define VIREO_CODELIST_END(List)
#endif
#ifndef VIREO_SEGMENT
#define VIREO_SEGMENT(Class, id, loop, label, assembly, counting)
#endif
#ifndef VIREO_TEXT_FIELD
#define VIREO_TEXT_FIELD(name, element, component)
#endif
#ifndef VIREO_CODE_FIELD
#define VIREO_CODE_FIELD(name, element, component, List)
#endif
#ifndef VIREO_FIXED_FIELD
#define VIREO_FIXED_FIELD(name, element, width)
#endif
// A field of width 1 that declares the repetition separator: a fixed field
// wherever a pass does not tell the two apart.
#ifndef VIREO_REPETITION_SEPARATOR_FIELD
#define VIREO_REPETITION_SEPARATOR_FIELD(name, element) VIREO_FIXED_FIELD(name, element, 1)
#endif
#ifndef VIREO_UNWRITTEN_FIELD
#define VIREO_UNWRITTEN_FIELD(name, element, component)
#endif
#ifndef VIREO_SEGMENT_END
#define VIREO_SEGMENT_END(Class)
#endif

#include VIREO_FAMILY_FILE

#undef VIREO_CODELIST
#undef VIREO_MEMBER
#undef VIREO_CODELIST_END
#undef VIREO_SEGMENT
#undef VIREO_TEXT_FIELD
#undef VIREO_CODE_FIELD
#undef VIREO_FIXED_FIELD
#undef VIREO_REPETITION_SEPARATOR_FIELD
#undef VIREO_UNWRITTEN_FIELD
#undef VIREO_SEGMENT_END
