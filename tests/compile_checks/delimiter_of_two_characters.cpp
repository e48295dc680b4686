// A control property whose initial value is not of its kind.
#define VIREO_MEMBERS_FILE "delimiter_of_two_characters.def"
#include "vireo/control/members.h"
