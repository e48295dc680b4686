// Descriptors and constructors of the 5010 address segment classes.
#include "vireo/catalogues/professional_5010/address/address.h"

#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_5010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/address/address.def"
#include "vireo/core/define_family.h"
