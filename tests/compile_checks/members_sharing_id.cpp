// Two of the control's own members with one dispatch id: late binding could
// reach only one of them.
#define VIREO_MEMBERS_FILE "members_sharing_id.def"
#include "vireo/control/dispids.h"
