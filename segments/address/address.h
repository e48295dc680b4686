#pragma once
// The address segment classes and their code lists, expanded from address.def.
#define VIREO_FAMILY_FILE "segments/address/address.def"
#include "core/expand_family.h"
