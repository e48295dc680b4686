#pragma once
// The 005010X222A1 catalogue: its segment classes and code lists in
// prjVireo::professional_5010 (named as the 4010 ones where the guide did not
// change them), its Catalogue, and its control with a typed property per slot.
#include "vireo/catalogues/professional_5010/families.h"
#include "vireo/control/control.h"

namespace prjVireo::guide {
class Guide;
}

namespace prjVireo::professional_5010 {

const catalogue::Catalogue& declared_catalogue();
// Its guide, 005010X222A1 (guide.def).
const guide::Guide& declared_guide();

class vireo final : public basic_vireo {
public:
    vireo() : basic_vireo(declared_catalogue()) {}
#define VIREO_SLOT_PROPERTIES_FILE "vireo/catalogues/professional_5010/slots.def"
#include "vireo/control/slot_properties.h"
};

}  // namespace prjVireo::professional_5010
