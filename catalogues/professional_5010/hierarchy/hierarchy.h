#pragma once
// The 5010 hierarchy segment classes and their code lists, expanded from hierarchy.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/hierarchy/hierarchy.def"
#include "vireo/core/expand_family.h"
