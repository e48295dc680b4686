#pragma once
// The test catalogue: its classes and code lists in prjVireo::sibling, its
// Catalogue, and its control with a typed property per slot.
#define VIREO_CATALOGUE_NAMESPACE sibling
#define VIREO_FAMILY_FILE "sibling/sibling.def"
#include "vireo/core/expand_family.h"

#include "vireo/control/control.h"
#include "vireo/guide/guide.h"

namespace prjVireo::sibling {


const catalogue::Catalogue& declared_catalogue();
// Its guide, 999999X999T1 (sibling/guide.def).
const guide::Guide& declared_guide();

// The test catalogue and its guide, registered beside the 4010 ones the
// first time they are asked for: the one line a program adds to know a
// catalogue by name.
inline const catalogue::Catalogue& registered_catalogue() {
    static const bool registered =
        (catalogue::register_catalogue(declared_catalogue()), guide::register_guide(declared_guide()), true);
    (void)registered;
    return declared_catalogue();
}

class sibling_control final : public basic_vireo {
public:
    sibling_control() : basic_vireo(declared_catalogue()) {}
#define VIREO_SLOT_PROPERTIES_FILE "sibling/slots.def"
#include "vireo/control/slot_properties.h"
};

}  // namespace prjVireo::sibling
