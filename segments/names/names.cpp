// Descriptors and constructors of the names segment classes.
#include "segments/names/names.h"

#define VIREO_FAMILY_FILE "segments/names/names.def"
#include "core/define_family.h"
