#pragma once
// The catalogues the module binds, each from its declarations: its segment
// object properties in slot order and its code lists. Each one is a submodule
// named after its folder (vireo.professional_5010); the first is also bound at
// the top level of the package. The module and the stub generator both walk
// this list, which the build writes from the built-in catalogues.
#include <string>
#include <vector>

#include "vireo/control/catalogue.h"

namespace vireo_python {

struct CatalogueDeclarations {
    const char* module;  // "professional_4010": the catalogue's folder
    const prjVireo::catalogue::Catalogue& (*catalogue)();
    const std::vector<prjVireo::catalogue::Slot>& slots() const { return catalogue().slots(); }
    const std::vector<const prjVireo::CodeListDescriptor*>& codelists() const { return catalogue().codelists(); }
    // "4010": the X12 release the guide id names ("004010X098A1").
    std::string release() const {
        const std::string_view id = catalogue().name();
        return std::string(id.size() >= 6 ? id.substr(2, 4) : id);
    }
};

// The first is bound at the top level of the module too.
const std::vector<CatalogueDeclarations>& bound_catalogues();

}  // namespace vireo_python
