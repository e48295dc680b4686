#pragma once
// The type library: everything a late-bound host can know about the control,
// its segment classes and code lists, built from the same declarations the
// code uses.
#include <functional>
#include <string>
#include <vector>

#include "vireo/control/dispatch.h"
#include "vireo/core/segment.h"

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

// The properties of every control and the five methods, in the type library's order.
const std::vector<Member>& control_properties();
const std::vector<Member>& control_methods();
// The properties a control of `catalogue` has (members::belongs), in the same order.
std::vector<Member> control_properties(const catalogue::Catalogue& catalogue);

constexpr const char* kLibraryName = "prjVireo";
constexpr DISPID kBeforeAddDispid = 1;
constexpr DISPID kAboutBoxDispid = dispids::kShowAboutBox;

// What the type library says of a class and of its fields beyond the
// catalogue's declarations. Each function, when set, appends JSON members
// (", \"name\": value") to the class's or the field's object. The layer that
// knows the implementation guide gives its notes (Guide::typelib_notes()),
// so that the type library does not depend on it.
struct ClassNotes {
    std::function<void(std::string& out, const SegmentClassDescriptor& c)> segment_class;
    std::function<void(std::string& out, const SegmentClassDescriptor& c, const FieldDescriptor& f)> field;
};

// The whole type library of a control of `catalogue` as JSON; the library's
// description is the catalogue's.
std::string to_json(const catalogue::Catalogue& catalogue, const ClassNotes& notes = {});

}  // namespace prjVireo::typelib
