#pragma once
// The documentation strings of the segment classes and their fields, shared by
// the module and the type stubs.
#include <string>

#include "vireo/control/catalogue.h"

namespace vireo_python {

// "CLM05-1": the element (and component) a field holds.
std::string element_reference(const prjVireo::SegmentClassDescriptor& segment_class,
                              const prjVireo::FieldDescriptor& field);
// What a field holds: its element, its kind and code list.
std::string field_doc(const prjVireo::SegmentClassDescriptor& segment_class, const prjVireo::FieldDescriptor& field);
// What a class is and where the control offers it.
std::string class_doc(const prjVireo::catalogue::Slot& slot);

}  // namespace vireo_python
