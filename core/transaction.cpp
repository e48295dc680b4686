// Descriptors and constructors of the transaction segment classes.
#include "vireo/core/transaction.h"

// ST and SE are classes of the 4010 catalogue, whose slot list core does not
// know: the catalogue checks them when it is defined (control/catalogue.cpp).
#define VIREO_FAMILY_SLOTS_CHECKED_BY_CATALOGUE
#define VIREO_FAMILY_FILE "vireo/core/transaction.def"
#include "vireo/core/define_family.h"
