#pragma once
// The hierarchy segment classes and their code lists, expanded from hierarchy.def.
#define VIREO_FAMILY_FILE "segments/hierarchy/hierarchy.def"
#include "core/expand_family.h"
