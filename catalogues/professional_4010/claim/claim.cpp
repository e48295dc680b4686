// Descriptors and constructors of the claim segment classes.
#include "vireo/catalogues/professional_4010/claim/claim.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/claim/claim.def"
#include "vireo/core/define_family.h"
