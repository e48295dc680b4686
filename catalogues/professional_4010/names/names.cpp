// Descriptors and constructors of the names segment classes.
#include "vireo/catalogues/professional_4010/names/names.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/names/names.def"
#include "vireo/core/define_family.h"
