#pragma once
// The 5010 dates segment classes and their code lists, expanded from dates.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/dates/dates.def"
#include "vireo/core/expand_family.h"
