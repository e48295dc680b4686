#pragma once
// The names segment classes and their code lists, expanded from names.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/names/names.def"
#include "vireo/core/expand_family.h"
