#pragma once
// The catalogues the module binds, each from its declarations: its segment
// object properties in slot order and its code lists. The module and the
// stub generator both walk this list.
#include <vector>

#include "vireo/control/catalogue.h"

namespace vireo_python {

struct CatalogueDeclarations {
    const char* name;  // "4010"
    const prjVireo::catalogue::Catalogue& (*catalogue)();
    const std::vector<prjVireo::catalogue::Slot>& slots() const { return catalogue().slots(); }
    const std::vector<const prjVireo::CodeListDescriptor*>& codelists() const { return catalogue().codelists(); }
};

// The first is bound at the top level of the module.
const std::vector<CatalogueDeclarations>& bound_catalogues();

}  // namespace vireo_python
