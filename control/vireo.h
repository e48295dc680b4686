#pragma once
// vireo, the control of the 4010 Professional catalogue: the control (see
// control/control.h) with one typed property per segment class.
#include "vireo/control/control.h"

namespace prjVireo {

class vireo final : public basic_vireo {
public:
    vireo() : basic_vireo(catalogue::professional_4010()) {}

    // Segment object properties: read returns the object in the member, write
    // replaces it (nullptr empties the member). The control re-raises the
    // BeforeAdd of whatever object each member holds.
#define VIREO_SLOT_PROPERTIES_FILE "vireo/catalogues/professional_4010/slots.def"
#include "vireo/control/slot_properties.h"
};

}  // namespace prjVireo
