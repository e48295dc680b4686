#pragma once
// The claim segment classes and their code lists, expanded from claim.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/claim/claim.def"
#include "vireo/core/expand_family.h"
