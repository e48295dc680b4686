// Descriptors and constructors of the reference segment classes.
#include "segments/reference/reference.h"

#define VIREO_FAMILY_FILE "segments/reference/reference.def"
#include "core/define_family.h"
