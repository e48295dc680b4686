#pragma once
// The 5010 envelope segment classes and their code lists, expanded from envelope.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/envelope/envelope.def"
#include "vireo/core/expand_family.h"
