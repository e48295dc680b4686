// Descriptors and constructors of the reference segment classes.
#include "vireo/catalogues/professional_4010/reference/reference.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/reference/reference.def"
#include "vireo/core/define_family.h"
