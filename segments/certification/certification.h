#pragma once
// The certification segment classes and their code lists, expanded from certification.def.
#define VIREO_FAMILY_FILE "segments/certification/certification.def"
#include "core/expand_family.h"
