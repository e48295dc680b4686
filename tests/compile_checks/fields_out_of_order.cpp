// A class whose fields are not listed in element order.
#define VIREO_FAMILY_FILE "disordered_family.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_SLOTS "disordered_slots.def"
#define VIREO_FAMILY_FILE "disordered_family.def"
#include "vireo/core/define_family.h"
