// Descriptors and constructors of the reference segment classes.
#include "vireo/segments/reference/reference.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/reference/reference.def"
#include "vireo/core/define_family.h"
