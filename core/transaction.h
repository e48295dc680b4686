#pragma once
// The transaction set header and trailer classes (ST, SE) and their code lists, expanded from transaction.def.
#define VIREO_FAMILY_FILE "vireo/core/transaction.def"
#include "vireo/core/expand_family.h"
