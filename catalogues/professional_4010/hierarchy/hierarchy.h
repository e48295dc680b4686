#pragma once
// The hierarchy segment classes and their code lists, expanded from hierarchy.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/hierarchy/hierarchy.def"
#include "vireo/core/expand_family.h"
