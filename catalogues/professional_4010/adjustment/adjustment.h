#pragma once
// The adjustment segment classes and their code lists, expanded from adjustment.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/adjustment/adjustment.def"
#include "vireo/core/expand_family.h"
