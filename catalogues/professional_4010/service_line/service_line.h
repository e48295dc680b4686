#pragma once
// The service line segment classes and their code lists, expanded from service_line.def.
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_4010/service_line/service_line.def"
#include "vireo/core/expand_family.h"
