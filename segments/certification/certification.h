#pragma once
// The certification segment classes and their code lists, expanded from certification.def.
#define VIREO_FAMILY_FILE "vireo/segments/certification/certification.def"
#include "vireo/core/expand_family.h"
