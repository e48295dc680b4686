// A family of a catalogue of its own (its own namespace) that does not name
// the catalogue's slot list.
#define VIREO_CATALOGUE_NAMESPACE nine
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE nine
#define VIREO_FAMILY_FILE "small_family.def"
#include "vireo/core/define_family.h"
