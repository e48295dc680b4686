// Descriptors and constructors of the service line segment classes.
#include "segments/service_line/service_line.h"

#define VIREO_FAMILY_FILE "segments/service_line/service_line.def"
#include "core/define_family.h"
