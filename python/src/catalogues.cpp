// The catalogues the module binds: each line binds one catalogue's
// declarations (its slot list and code lists) as classes, enums and the
// control's properties.
#include "catalogues.h"

namespace vireo_python {

const std::vector<CatalogueDeclarations>& bound_catalogues() {
    static const std::vector<CatalogueDeclarations> catalogues = {
        {"4010", &prjVireo::catalogue::professional_4010},
    };
    return catalogues;
}

}  // namespace vireo_python
