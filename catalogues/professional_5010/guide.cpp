// The 837 Professional 5010 guide, 005010X222A1, expanded from its
// declaration over the 5010 catalogue's classes.
#include "vireo/catalogues/professional_5010/families.h"
#include "vireo/catalogues/professional_5010/manifest.h"
#include "vireo/guide/guide.h"
#include "vireo/guide/guide_data.h"

namespace prjVireo::professional_5010 {
#define VIREO_GUIDE_FILE "vireo/catalogues/professional_5010/guide.def"
#define VIREO_GUIDE_ID VIREO_MANIFEST_GUIDE_ID
#include "vireo/guide/define_guide.h"

const guide::Guide& declared_guide() {
    static const guide::Guide guide(declared_guide_data());
    return guide;
}
}  // namespace prjVireo::professional_5010
