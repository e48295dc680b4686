// Descriptors and constructors of the names segment classes.
#include "vireo/segments/names/names.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/names/names.def"
#include "vireo/core/define_family.h"
