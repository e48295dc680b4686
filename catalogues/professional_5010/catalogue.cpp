// The 5010 catalogue: its Catalogue, from its slot list and manifest.
#include "vireo/catalogues/professional_5010/manifest.h"
#include "vireo/catalogues/professional_5010/control.h"

namespace prjVireo::professional_5010 {
#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_5010/slots.def"
#define VIREO_CATALOGUE_NAME VIREO_MANIFEST_GUIDE_ID
#define VIREO_CATALOGUE_DESCRIPTION VIREO_MANIFEST_DESCRIPTION
#include "vireo/control/define_catalogue.h"
}  // namespace prjVireo::professional_5010
