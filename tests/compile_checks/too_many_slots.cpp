// 219 slots: the last one's dispatch id is ErrorTrap's.
#define VIREO_SLOTS_FILE "too_many_slots.def"
#include "vireo/control/dispids.h"
