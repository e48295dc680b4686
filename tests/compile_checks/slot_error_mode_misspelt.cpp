// A catalogue whose slot list misspells an error mode: the build stops rather
// than take the slot for a trapped one.
#define VIREO_CATALOGUE_NAMESPACE nine
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/expand_family.h"
#include "vireo/control/catalogue.h"

namespace prjVireo::nine {
#define VIREO_CATALOGUE_SLOTS "misspelt_error_mode.def"
#define VIREO_CATALOGUE_NAME "nine"
#define VIREO_CATALOGUE_DESCRIPTION "nine"
#include "vireo/control/define_catalogue.h"
}  // namespace prjVireo::nine
