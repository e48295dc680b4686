#pragma once
// The claim segment classes and their code lists, expanded from claim.def.
#define VIREO_FAMILY_FILE "segments/claim/claim.def"
#include "core/expand_family.h"
