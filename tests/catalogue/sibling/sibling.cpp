// The test catalogue's descriptors, constructors, Catalogue and guide.
#include "sibling/sibling.h"

#include "vireo/guide/guide_data.h"

#define VIREO_CATALOGUE_NAMESPACE sibling
#define VIREO_CATALOGUE_SLOTS "sibling/slots.def"
#define VIREO_FAMILY_FILE "sibling/sibling.def"
#include "vireo/core/define_family.h"

namespace prjVireo::sibling {
#define VIREO_CATALOGUE_SLOTS "sibling/slots.def"
#define VIREO_CATALOGUE_NAME "999999X999T1"
#define VIREO_CATALOGUE_DESCRIPTION "Vireo test catalogue"
#include "vireo/control/define_catalogue.h"
}  // namespace prjVireo::sibling

namespace prjVireo::sibling {
#define VIREO_GUIDE_FILE "sibling/guide.def"
#define VIREO_GUIDE_ID "999999X999T1"
#include "vireo/guide/define_guide.h"

const guide::Guide& declared_guide() {
    static const guide::Guide guide(declared_guide_data());
    return guide;
}
}  // namespace prjVireo::sibling
