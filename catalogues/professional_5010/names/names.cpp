// Descriptors and constructors of the 5010 names segment classes.
#include "vireo/catalogues/professional_5010/names/names.h"

#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_5010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/names/names.def"
#include "vireo/core/define_family.h"
