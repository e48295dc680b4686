// The 5010 catalogue: its Catalogue, from its slot list and manifest, and the
// 4010 classes whose positions it kept.
#include "vireo/catalogues/professional_4010/families.h"
#include "vireo/catalogues/professional_5010/manifest.h"
#include "vireo/catalogues/professional_5010/control.h"

namespace prjVireo::professional_5010 {
#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_5010/slots.def"
#define VIREO_CATALOGUE_NAME VIREO_MANIFEST_GUIDE_ID
#define VIREO_CATALOGUE_DESCRIPTION VIREO_MANIFEST_DESCRIPTION
#define VIREO_CATALOGUE_FOLLOWS "004010X098A1"
#define VIREO_CATALOGUE_PORTED "vireo/catalogues/professional_5010/ported_from_4010.def"
#include "vireo/control/define_catalogue.h"
}  // namespace prjVireo::professional_5010
