// Descriptors and constructors of the address segment classes.
#include "segments/address/address.h"

#define VIREO_FAMILY_FILE "segments/address/address.def"
#include "core/define_family.h"
