#pragma once
// The type library: everything a late-bound host can know about the control,
// its segment classes and code lists, built from the same declarations the
// code uses.
#include <string>
#include <vector>

#include "vireo/control/dispatch.h"

namespace prjVireo::catalogue {
class Catalogue;
}

namespace prjVireo::typelib {

struct Parameter {
    const char* name;
    const char* type;
    bool by_ref;
    bool optional;
};

// A property or method of the control other than the segment object properties.
struct Member {
    const char* name;
    DISPID dispid;
    bool is_method;
    const char* type;       // property type or method result ("" for none)
    const char* persisted;  // property bag key, or nullptr
    const char* doc;        // documentation string, or nullptr
    bool browsable;
    std::vector<Parameter> parameters;
};

// The eight properties and five methods, in slot order.
const std::vector<Member>& control_properties();
const std::vector<Member>& control_methods();

constexpr const char* kLibraryName = "prjVireo";
constexpr DISPID kBeforeAddDispid = 1;
constexpr DISPID kAboutBoxDispid = dispids::kShowAboutBox;

// The whole type library of a control of `catalogue` as JSON; the library's
// description is the catalogue's.
std::string to_json(const catalogue::Catalogue& catalogue);
// The same for the 4010 catalogue.
std::string to_json();

}  // namespace prjVireo::typelib
