// Descriptors and constructors of the transaction segment classes.
#include "core/transaction.h"

#define VIREO_FAMILY_FILE "core/transaction.def"
#include "core/define_family.h"
