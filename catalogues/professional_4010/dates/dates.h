#pragma once
// The dates segment classes and their code lists, expanded from dates.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/dates/dates.def"
#include "vireo/core/expand_family.h"
