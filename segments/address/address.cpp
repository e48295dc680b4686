// Descriptors and constructors of the address segment classes.
#include "vireo/segments/address/address.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/address/address.def"
#include "vireo/core/define_family.h"
