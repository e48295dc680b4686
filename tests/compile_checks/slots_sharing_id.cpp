// Two slots with one dispatch id.
#define VIREO_SLOTS_FILE "slots_sharing_id.def"
#include "vireo/control/dispids.h"
