// Descriptors and constructors of the address segment classes.
#include "vireo/catalogues/professional_4010/address/address.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/address/address.def"
#include "vireo/core/define_family.h"
