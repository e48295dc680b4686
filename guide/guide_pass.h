// One pass over a guide's declaration, the file VIREO_GUIDE_FILE names. The
// includer (guide/define_guide.h) defines the VIREO_GUIDE_* macros it needs
// for the table it builds; this header gives every other macro an empty
// expansion, expands the declaration, and undefines them all again. No include
// guard: it is included once per pass.
#ifndef VIREO_GUIDE_DATA_ELEMENT
#define VIREO_GUIDE_DATA_ELEMENT(Number, Type, Min, Max, Name)
#endif
#ifndef VIREO_GUIDE_CODE_SET
#define VIREO_GUIDE_CODE_SET(Set, Name, Codes)
#endif
#ifndef VIREO_GUIDE_LOOP
#define VIREO_GUIDE_LOOP(Loop, Shown, Usage, Repeat, Position, Name)
#endif
#ifndef VIREO_GUIDE_LOOP_AGAIN
#define VIREO_GUIDE_LOOP_AGAIN(Loop)
#endif
#ifndef VIREO_GUIDE_LOOP_END
#define VIREO_GUIDE_LOOP_END(Loop)
#endif
#ifndef VIREO_GUIDE_SEGMENT
#define VIREO_GUIDE_SEGMENT(Id, Position, Usage, MaxUse, Qualifier, Class, Name)
#endif
#ifndef VIREO_GUIDE_SEGMENT_END
#define VIREO_GUIDE_SEGMENT_END()
#endif
#ifndef VIREO_GUIDE_ELEMENT
#define VIREO_GUIDE_ELEMENT(Position, Number, Usage, Name, Codes)
#endif
#ifndef VIREO_GUIDE_COMPOSITE
#define VIREO_GUIDE_COMPOSITE(Position, Number, Usage, Name)
#endif
#ifndef VIREO_GUIDE_COMPONENT
#define VIREO_GUIDE_COMPONENT(Position, Number, Usage, Name, Codes)
#endif
#ifndef VIREO_GUIDE_COMPOSITE_END
#define VIREO_GUIDE_COMPOSITE_END()
#endif
#ifndef VIREO_GUIDE_SYNTAX
#define VIREO_GUIDE_SYNTAX(Kind, Positions)
#endif

#include VIREO_GUIDE_FILE

#undef VIREO_GUIDE_DATA_ELEMENT
#undef VIREO_GUIDE_CODE_SET
#undef VIREO_GUIDE_LOOP
#undef VIREO_GUIDE_LOOP_AGAIN
#undef VIREO_GUIDE_LOOP_END
#undef VIREO_GUIDE_SEGMENT
#undef VIREO_GUIDE_SEGMENT_END
#undef VIREO_GUIDE_ELEMENT
#undef VIREO_GUIDE_COMPOSITE
#undef VIREO_GUIDE_COMPONENT
#undef VIREO_GUIDE_COMPOSITE_END
#undef VIREO_GUIDE_SYNTAX
