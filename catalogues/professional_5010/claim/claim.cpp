// Descriptors and constructors of the 5010 claim segment classes.
#include "vireo/catalogues/professional_5010/claim/claim.h"

#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_5010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/claim/claim.def"
#include "vireo/core/define_family.h"
