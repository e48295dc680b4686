#pragma once
// The dates segment classes and their code lists, expanded from dates.def.
#define VIREO_FAMILY_FILE "segments/dates/dates.def"
#include "core/expand_family.h"
