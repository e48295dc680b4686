#pragma once
// The 5010 service_line segment classes and their code lists, expanded from service_line.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/service_line/service_line.def"
#include "vireo/core/expand_family.h"
