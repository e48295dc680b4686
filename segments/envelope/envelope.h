#pragma once
// The envelope segment classes and their code lists, expanded from envelope.def.
#define VIREO_FAMILY_FILE "segments/envelope/envelope.def"
#include "core/expand_family.h"
