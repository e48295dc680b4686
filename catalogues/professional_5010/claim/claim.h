#pragma once
// The 5010 claim segment classes and their code lists, expanded from claim.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/claim/claim.def"
#include "vireo/core/expand_family.h"
