#pragma once
// The claim segment classes and their code lists, expanded from claim.def.
#define VIREO_FAMILY_FILE "vireo/segments/claim/claim.def"
#include "vireo/core/expand_family.h"
