#pragma once
// The names segment classes and their code lists, expanded from names.def.
#define VIREO_FAMILY_FILE "segments/names/names.def"
#include "core/expand_family.h"
