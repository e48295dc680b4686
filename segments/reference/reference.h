#pragma once
// The reference segment classes and their code lists, expanded from reference.def.
#define VIREO_FAMILY_FILE "vireo/segments/reference/reference.def"
#include "vireo/core/expand_family.h"
