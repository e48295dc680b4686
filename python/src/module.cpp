// The extension module vireo._vireo, re-exported by the package vireo.
#include <pybind11/pybind11.h>

#include "binding.h"
#include "checker.h"
#include "output.h"
#include "vireo/core/code.h"

namespace py = pybind11;

namespace vireo_python {
namespace {

void bind(py::module_& m) {
    PyObject* module = m.ptr();
    load_error_types();
    if (!VbErrorType || !CodeErrorType) throw py::error_already_set();
    // The catalogue bound at the top level. A second catalogue would get its
    // own module object here, from the next entry of bound_catalogues().
    const CatalogueDeclarations& catalogue = bound_catalogues().front();
    if (!bind_newline_values(module) || !bind_event_types(module) || !bind_output_type(module) ||
        !bind_codelists(module, catalogue) || !bind_segment_types(module, catalogue) ||
        !bind_control_type(module, catalogue)) {
        throw py::error_already_set();
    }
    bind_checker(m);
    m.attr("catalogue") = catalogue.name;
    m.attr("__version__") = std::to_string(VIREO_VERSION_MAJOR) + "." + std::to_string(VIREO_VERSION_MINOR) + "." +
                            std::to_string(VIREO_VERSION_PATCH);

    m.def("code_text", &prjVireo::CodeToString, py::arg("value"),
          "The code text of a Code value (CodeToString): 3683127 gives \"837\"; 0 gives \"\".");
    m.def("code_value", [](const std::string& code) {
              if (code.size() > 4) throw py::value_error("a code has at most 4 characters");
              return prjVireo::code_value(code);
          },
          py::arg("code"), "The Code value of a code text of up to 4 characters: \"837\" gives 3683127.");
}

}  // namespace
}  // namespace vireo_python

PYBIND11_MODULE(_vireo, m) {
    m.doc() = "The vireo claim-writer control, bound from the catalogue's declarations (see the package vireo).";
    vireo_python::bind(m);
}
