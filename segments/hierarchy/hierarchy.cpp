// Descriptors and constructors of the hierarchy segment classes.
#include "segments/hierarchy/hierarchy.h"

#define VIREO_FAMILY_FILE "segments/hierarchy/hierarchy.def"
#include "core/define_family.h"
