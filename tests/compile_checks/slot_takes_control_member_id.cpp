// A slot whose dispatch id is ErrorTrap's.
#define VIREO_SLOTS_FILE "slot_takes_control_member_id.def"
#include "vireo/control/dispids.h"
