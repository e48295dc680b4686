#pragma once
// The reference segment classes and their code lists, expanded from reference.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/reference/reference.def"
#include "vireo/core/expand_family.h"
