// Descriptors and constructors of the certification segment classes.
#include "segments/certification/certification.h"

#define VIREO_FAMILY_FILE "segments/certification/certification.def"
#include "core/define_family.h"
