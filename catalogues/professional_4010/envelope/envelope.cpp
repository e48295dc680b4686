// Descriptors and constructors of the envelope segment classes.
#include "vireo/catalogues/professional_4010/envelope/envelope.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/envelope/envelope.def"
#include "vireo/core/define_family.h"
