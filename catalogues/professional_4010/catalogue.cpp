// The 4010 catalogue: its Catalogue, from its slot list and manifest.
#include "vireo/catalogues/professional_4010/manifest.h"
#include "vireo/control/catalogue.h"
#include "vireo/control/dispids.h"

namespace prjVireo {

#define VIREO_CATALOGUE_SLOTS "vireo/catalogues/professional_4010/slots.def"
#define VIREO_CATALOGUE_NAME VIREO_MANIFEST_GUIDE_ID
#define VIREO_CATALOGUE_DESCRIPTION VIREO_MANIFEST_DESCRIPTION
#include "vireo/control/define_catalogue.h"

const catalogue::Catalogue& catalogue::professional_4010() { return declared_catalogue(); }

// ST and SE are declared in core (core/transaction.def), which knows no slot
// list: they too need exactly one slot each.
#define VIREO_FAMILY_FILE "vireo/core/transaction.def"
#define VIREO_SEGMENT_END(Class)                                                       \
    static_assert(slot_list::slots_of_class(#Class) == 1,                            \
                  #Class ": a declared class needs exactly one slot in the slot list " \
                  "of its catalogue (catalogues/professional_4010/slots.def for the 4010 one)");
#include "vireo/core/catalogue_pass.h"
#undef VIREO_FAMILY_FILE
}  // namespace prjVireo
