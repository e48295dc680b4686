// Descriptors and constructors of the envelope segment classes.
#include "vireo/segments/envelope/envelope.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/envelope/envelope.def"
#include "vireo/core/define_family.h"
