// Descriptors and constructors of the dates segment classes.
#include "segments/dates/dates.h"

#define VIREO_FAMILY_FILE "segments/dates/dates.def"
#include "core/define_family.h"
