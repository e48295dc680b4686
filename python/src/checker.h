#pragma once
// The guide checker's Python classes (GuideChecker, Finding) and check_file.
#include <pybind11/pybind11.h>

namespace vireo_python {

void bind_checker(pybind11::module_& m);

}  // namespace vireo_python
