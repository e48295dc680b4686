#pragma once
// The envelope segment classes and their code lists, expanded from envelope.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/envelope/envelope.def"
#include "vireo/core/expand_family.h"
