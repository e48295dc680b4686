// Expands a guide's declaration into its GuideData. The includer defines
//   VIREO_GUIDE_FILE  the declaration, a file of VIREO_GUIDE_* lines
//   VIREO_GUIDE_ID    the guide's id as GS08 names it, "004010X098A1"
// and includes this header once, in the namespace of the catalogue whose
// classes the declaration names, after vireo/guide/guide_data.h and the
// catalogue's classes; it defines there
//   const guide::GuideData& declared_guide_data();
// No include guard: one guide per includer.

namespace guide_declaration {

using ::prjVireo::guide::none;

enum DataElementIndex : int {
#define VIREO_GUIDE_DATA_ELEMENT(Number, Type, Min, Max, Name) de_##Number,
#include "vireo/guide/guide_pass.h"
    kDataElementCount
};

constexpr ::prjVireo::guide::DataElement kDictionary[] = {
#define VIREO_GUIDE_DATA_ELEMENT(Number, Type, Min, Max, Name) \
    {#Number, ::prjVireo::guide::DataType::Type, Min, Max, Name},
#include "vireo/guide/guide_pass.h"
};

constexpr ::prjVireo::guide::CodeSetRecord kCodeSets[] = {
#define VIREO_GUIDE_CODE_SET(Set, Name, Codes) {#Set, Name, Codes},
#include "vireo/guide/guide_pass.h"
    {nullptr, nullptr, nullptr}  // keeps the array whole when a guide has no code set
};

using K = ::prjVireo::guide::RecordKind;
using U = ::prjVireo::guide::Usage;
constexpr ::prjVireo::guide::Record kRecords[] = {
#define VIREO_GUIDE_LOOP(Ident, Shown, Usage_, Repeat, Position, Name) \
    {K::Loop, #Ident, Shown, Name, "", U::Usage_, Repeat, Position, 0, 0, nullptr},
#define VIREO_GUIDE_LOOP_AGAIN(Ident) {K::LoopAgain, #Ident, "", "", "", U::N, 0, 0, 0, 0, nullptr},
#define VIREO_GUIDE_LOOP_END(Ident) {K::LoopEnd, #Ident, "", "", "", U::N, 0, 0, 0, 0, nullptr},
#define VIREO_GUIDE_SEGMENT(Id, Position, Usage_, MaxUse, Qualifier, Class, Name) \
    {K::Segment, #Id, "", Name, "", U::Usage_, Position, MaxUse, Qualifier, 0,     \
     ::prjVireo::guide::link_of<Class>()},
#define VIREO_GUIDE_SEGMENT_END() {K::SegmentEnd, "", "", "", "", U::N, 0, 0, 0, 0, nullptr},
#define VIREO_GUIDE_ELEMENT(Position, Number, Usage_, Name, Codes) \
    {K::Element, "", "", Name, Codes, U::Usage_, Position, 0, 0, de_##Number, nullptr},
#define VIREO_GUIDE_COMPOSITE(Position, Number, Usage_, Name) \
    {K::Composite, #Number, "", Name, "", U::Usage_, Position, 0, 0, 0, nullptr},
#define VIREO_GUIDE_COMPONENT(Position, Number, Usage_, Name, Codes) \
    {K::Component, "", "", Name, Codes, U::Usage_, Position, 0, 0, de_##Number, nullptr},
#define VIREO_GUIDE_COMPOSITE_END() {K::CompositeEnd, "", "", "", "", U::N, 0, 0, 0, 0, nullptr},
#define VIREO_GUIDE_SYNTAX(Kind_, Positions) {K::Syntax, #Kind_, Positions, "", "", U::N, 0, 0, 0, 0, nullptr},
#include "vireo/guide/guide_pass.h"
};

}  // namespace guide_declaration

const ::prjVireo::guide::GuideData& declared_guide_data() {
    static const ::prjVireo::guide::GuideData data{
        VIREO_GUIDE_ID, VIREO_GUIDE_FILE, guide_declaration::kDictionary,
        std::span(guide_declaration::kCodeSets, std::size(guide_declaration::kCodeSets) - 1),
        guide_declaration::kRecords};
    return data;
}

#undef VIREO_GUIDE_FILE
#undef VIREO_GUIDE_ID
