// Descriptors and constructors of the dates segment classes.
#include "vireo/segments/dates/dates.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/dates/dates.def"
#include "vireo/core/define_family.h"
