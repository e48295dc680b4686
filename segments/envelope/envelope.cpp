// Descriptors and constructors of the envelope segment classes.
#include "segments/envelope/envelope.h"

#define VIREO_FAMILY_FILE "segments/envelope/envelope.def"
#include "core/define_family.h"
