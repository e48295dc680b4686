#pragma once
// The 5010 names segment classes and their code lists, expanded from names.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/names/names.def"
#include "vireo/core/expand_family.h"
