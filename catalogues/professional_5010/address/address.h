#pragma once
// The 5010 address segment classes and their code lists, expanded from address.def.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/address/address.def"
#include "vireo/core/expand_family.h"
