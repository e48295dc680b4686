// Descriptors and constructors of the adjustment segment classes.
#include "segments/adjustment/adjustment.h"

#define VIREO_FAMILY_FILE "segments/adjustment/adjustment.def"
#include "core/define_family.h"
