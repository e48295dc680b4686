// Descriptors and constructors of the transaction segment classes.
#include "vireo/core/transaction.h"

#define VIREO_FAMILY_FILE "vireo/core/transaction.def"
#include "vireo/core/define_family.h"
