#pragma once
// vireo.OpenedFile: a file that appears at its path only once it is complete.
#include <memory>
#include <string>

#include "binding.h"

namespace vireo_python {

bool bind_output_type(PyObject* module);
// Opens `path` through `control` (the Python object `control_object`) in a
// temporary file beside it; a new OpenedFile, or nullptr with the error raised.
PyObject* open_output(PyObject* control_object, prjVireo::basic_vireo* control, const std::shared_ptr<Apartment>& apartment,
                      const std::string& path);

}  // namespace vireo_python
