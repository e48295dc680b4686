#pragma once
// The 5010 certification segment classes and their code lists, expanded from certification.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/certification/certification.def"
#include "vireo/core/expand_family.h"
