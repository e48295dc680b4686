// Descriptors and constructors of the hierarchy segment classes.
#include "vireo/catalogues/professional_4010/hierarchy/hierarchy.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/hierarchy/hierarchy.def"
#include "vireo/core/define_family.h"
