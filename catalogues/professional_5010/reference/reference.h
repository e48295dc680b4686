#pragma once
// The 5010 reference segment classes and their code lists, expanded from reference.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/reference/reference.def"
#include "vireo/core/expand_family.h"
