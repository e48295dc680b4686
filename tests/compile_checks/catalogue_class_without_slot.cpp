// A class declared in a family of a catalogue of its own (its own namespace
// and slot list) but missing from that slot list.
#define VIREO_CATALOGUE_NAMESPACE nine
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE nine
#define VIREO_CATALOGUE_SLOTS "missing_slot.def"
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/define_family.h"
