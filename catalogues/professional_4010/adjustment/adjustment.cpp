// Descriptors and constructors of the adjustment segment classes.
#include "vireo/catalogues/professional_4010/adjustment/adjustment.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/adjustment/adjustment.def"
#include "vireo/core/define_family.h"
