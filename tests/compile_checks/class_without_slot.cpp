// A class declared in a family but missing from the slot list.
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_SLOTS "missing_slot.def"
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/define_family.h"
