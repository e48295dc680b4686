#pragma once
// The address segment classes and their code lists, expanded from address.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/address/address.def"
#include "vireo/core/expand_family.h"
