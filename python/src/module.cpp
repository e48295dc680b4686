// The extension module vireo._vireo, re-exported by the package vireo.
#include <pybind11/pybind11.h>

#include <string>

#include "binding.h"
#include "checker.h"
#include "output.h"
#include "vireo/core/code.h"

namespace py = pybind11;

namespace vireo_python {
namespace {

// The catalogue's submodule, "vireo.professional_5010": its control Vireo,
// its segment classes and its code lists. It is an attribute of the extension
// (and so of the package) and is in sys.modules, so that
// `import vireo.professional_5010` finds it.
PyObject* bind_catalogue(PyObject* extension, const std::string& package, const CatalogueDeclarations& catalogue) {
    const std::string name = package + "." + catalogue.module;
    PyObject* module = PyModule_New(name.c_str());
    if (!module) return nullptr;
    const std::string doc = "The " + catalogue.release() + " catalogue (" + std::string(catalogue.catalogue().name()) +
                            "): its control Vireo, its segment classes and its code lists.";
    if (PyModule_AddStringConstant(module, "__doc__", doc.c_str()) < 0 ||
        PyModule_AddStringConstant(module, "catalogue", catalogue.release().c_str()) < 0 ||
        !bind_codelists(module, catalogue) || !bind_segment_types(module, catalogue) ||
        !bind_control_type(module, catalogue) ||
        PyDict_SetItemString(PyImport_GetModuleDict(), name.c_str(), module) < 0 ||
        PyModule_AddObjectRef(extension, catalogue.module, module) < 0) {
        Py_DECREF(module);
        return nullptr;
    }
    return module;
}

void bind(py::module_& m) {
    PyObject* module = m.ptr();
    load_error_types();
    if (!VbErrorType || !CodeErrorType) throw py::error_already_set();
    // The types every catalogue shares.
    if (!bind_newline_values(module) || !bind_event_types(module) || !bind_output_type(module) ||
        !bind_segment_base(module)) {
        throw py::error_already_set();
    }
    // "vireo" of "vireo._vireo".
    std::string package = py::cast<std::string>(m.attr("__name__"));
    package = package.substr(0, package.rfind('.'));
    for (const CatalogueDeclarations& catalogue : bound_catalogues()) {
        PyObject* submodule = bind_catalogue(module, package, catalogue);
        if (!submodule) throw py::error_already_set();
        // The first catalogue's names are the top level's too: vireo.Vireo is
        // vireo.professional_4010.Vireo.
        if (&catalogue == &bound_catalogues().front()) {
            PyObject* key;
            PyObject* value;
            Py_ssize_t pos = 0;
            PyObject* names = PyModule_GetDict(submodule);
            while (PyDict_Next(names, &pos, &key, &value)) {
                if (PyUnicode_READ_CHAR(key, 0) == '_' || PyUnicode_CompareWithASCIIString(key, "catalogue") == 0) {
                    continue;
                }
                if (PyObject_SetAttr(module, key, value) < 0) {
                    Py_DECREF(submodule);
                    throw py::error_already_set();
                }
            }
        }
        Py_DECREF(submodule);
    }
    const CatalogueDeclarations& catalogue = bound_catalogues().front();
    bind_checker(m);
    m.attr("catalogue") = catalogue.release();
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
