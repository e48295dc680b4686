#pragma once
// The hierarchy segment classes and their code lists, expanded from hierarchy.def.
#define VIREO_FAMILY_FILE "vireo/segments/hierarchy/hierarchy.def"
#include "vireo/core/expand_family.h"
