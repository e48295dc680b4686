// Descriptors and constructors of the claim segment classes.
#include "vireo/segments/claim/claim.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/claim/claim.def"
#include "vireo/core/define_family.h"
