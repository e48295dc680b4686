// Descriptors and constructors of the service line segment classes.
#include "vireo/catalogues/professional_4010/service_line/service_line.h"

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/service_line/service_line.def"
#include "vireo/core/define_family.h"
