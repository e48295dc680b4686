// Descriptors and constructors of the certification segment classes.
#include "vireo/catalogues/professional_4010/certification/certification.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/certification/certification.def"
#include "vireo/core/define_family.h"
