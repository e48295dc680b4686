// Descriptors and constructors of the dates segment classes.
#include "vireo/catalogues/professional_4010/dates/dates.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/dates/dates.def"
#include "vireo/core/define_family.h"
