#pragma once
// The 5010 adjustment segment classes and their code lists, expanded from adjustment.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/adjustment/adjustment.def"
#include "vireo/core/expand_family.h"
