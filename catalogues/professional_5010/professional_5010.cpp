// The 5010 catalogue, from its slot list.
#include "vireo/catalogues/professional_5010/professional_5010.h"

namespace prjVireo::professional_5010 {
#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_5010/slots.def"
#define VIREO_CATALOGUE_NAME "005010X222A1"
#define VIREO_CATALOGUE_DESCRIPTION "Vireo ActiveX Control for HIPAA 837 5010"
#include "vireo/control/define_catalogue.h"
}  // namespace prjVireo::professional_5010
