// Descriptors and constructors of the hierarchy segment classes.
#include "vireo/segments/hierarchy/hierarchy.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/hierarchy/hierarchy.def"
#include "vireo/core/define_family.h"
