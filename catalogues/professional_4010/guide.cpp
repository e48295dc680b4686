// The 837 Professional 4010 guide, 004010X098A1, expanded from its
// declaration over the 4010 catalogue's classes.
#include "vireo/catalogues/professional_4010/manifest.h"
#include "vireo/guide/guide.h"
#include "vireo/guide/guide_data.h"
#include "vireo/core/transaction.h"
#include "vireo/catalogues/professional_4010/families.h"

namespace prjVireo {
#define VIREO_GUIDE_FILE "vireo/catalogues/professional_4010/guide.def"
#define VIREO_GUIDE_ID VIREO_MANIFEST_GUIDE_ID
#include "vireo/guide/define_guide.h"
}  // namespace prjVireo

namespace prjVireo::guide {

const Guide& professional_4010() {
    static const Guide guide(prjVireo::declared_guide_data());
    return guide;
}

}  // namespace prjVireo::guide

namespace prjVireo {
const guide::Guide& declared_guide() { return guide::professional_4010(); }
}  // namespace prjVireo
