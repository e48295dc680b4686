#pragma once
// The reference segment classes and their code lists, expanded from reference.def.
#define VIREO_FAMILY_FILE "segments/reference/reference.def"
#include "core/expand_family.h"
