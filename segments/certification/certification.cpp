// Descriptors and constructors of the certification segment classes.
#include "vireo/segments/certification/certification.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/certification/certification.def"
#include "vireo/core/define_family.h"
