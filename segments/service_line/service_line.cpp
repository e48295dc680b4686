// Descriptors and constructors of the service line segment classes.
#include "vireo/segments/service_line/service_line.h"

#define VIREO_CATALOGUE_SLOTS "vireo/segments/slots.def"
#define VIREO_FAMILY_FILE "vireo/segments/service_line/service_line.def"
#include "vireo/core/define_family.h"
