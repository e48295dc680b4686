// Descriptors and constructors of the claim segment classes.
#include "segments/claim/claim.h"

#define VIREO_FAMILY_FILE "segments/claim/claim.def"
#include "core/define_family.h"
