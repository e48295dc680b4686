// Registers the test catalogue and its guide before the command's main() runs.
#include "sibling/sibling.h"

namespace {
const bool registered = (prjVireo::sibling::registered_catalogue(), true);
}
