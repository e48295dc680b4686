#include "docs.h"

#include <cstdio>

namespace vireo_python {

using prjVireo::FieldKind;

std::string element_reference(const prjVireo::SegmentClassDescriptor& segment_class,
                              const prjVireo::FieldDescriptor& field) {
    char buf[32];
    if (field.component) {
        std::snprintf(buf, sizeof buf, "%s%02d-%d", segment_class.segment_id, field.element, field.component);
    } else {
        std::snprintf(buf, sizeof buf, "%s%02d", segment_class.segment_id, field.element);
    }
    return buf;
}

std::string field_doc(const prjVireo::SegmentClassDescriptor& segment_class, const prjVireo::FieldDescriptor& field) {
    std::string doc = element_reference(segment_class, field);
    switch (field.kind) {
        case FieldKind::Code:
            doc += ": a code of ";
            doc += field.codelist->name;
            doc += " (a member, its code text, or None)";
            break;
        case FieldKind::Text: doc += ": text"; break;
        case FieldKind::Fixed: doc += ": text, written filled with spaces to " + std::to_string(field.width) + " characters"; break;
        case FieldKind::Unwritten: doc += ": text that is kept but not written"; break;
    }
    return doc + ".";
}

std::string class_doc(const prjVireo::catalogue::Slot& slot) {
    const prjVireo::SegmentClassDescriptor& c = *slot.segment_class;
    std::string doc = std::string(c.name) + ": the " + c.segment_id + " segment of loop " + c.loop +
                      ", the object of Vireo." + std::string(slot.property) + " (annotation label " + c.label + ").";
    return doc;
}

}  // namespace vireo_python
