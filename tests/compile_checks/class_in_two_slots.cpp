// A class declared once and listed in two slots.
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_SLOTS "double_slot.def"
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/define_family.h"
