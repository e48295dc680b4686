#pragma once
// The certification segment classes and their code lists, expanded from certification.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/certification/certification.def"
#include "vireo/core/expand_family.h"
