// Descriptors and constructors of the adjustment segment classes.
#include "vireo/segments/adjustment/adjustment.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/adjustment/adjustment.def"
#include "vireo/core/define_family.h"
