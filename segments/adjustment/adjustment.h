#pragma once
// The adjustment segment classes and their code lists, expanded from adjustment.def.
#define VIREO_FAMILY_FILE "segments/adjustment/adjustment.def"
#include "core/expand_family.h"
