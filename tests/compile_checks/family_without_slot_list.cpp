// A family that does not name the slot list of its catalogue.
#define VIREO_CATALOGUE_NAMESPACE nine
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE nine
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/define_family.h"
