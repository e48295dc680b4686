// The test catalogue's descriptors, constructors and Catalogue.
#include "sibling/sibling.h"

#define VIREO_CATALOGUE_NAMESPACE sibling
#define VIREO_CATALOGUE_SLOTS "sibling/slots.def"
#define VIREO_FAMILY_FILE "sibling/sibling.def"
#include "vireo/core/define_family.h"

namespace prjVireo::sibling {
#define VIREO_CATALOGUE_SLOTS "sibling/slots.def"
#define VIREO_CATALOGUE_NAME "sibling-test"
#define VIREO_CATALOGUE_DESCRIPTION "Vireo test catalogue"
#include "vireo/control/define_catalogue.h"
}  // namespace prjVireo::sibling
