#include "docs.h"

#include <cstdio>

#include "vireo/guide/guide.h"

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
    // The guide's name, usage, type and lengths of the element, when the guide has it:
    // "SBR05 Insurance Type Code (situational, ID 1-3)".
    const prjVireo::guide::Guide* guide = prjVireo::guide::guide_writing(segment_class);
    std::string doc = guide ? guide->describe(segment_class, field) : std::string();
    if (doc.empty()) doc = element_reference(segment_class, field);
    switch (field.kind) {
        case FieldKind::Code:
            doc += ". A code of ";
            doc += field.codelist->name;
            doc += " (a member, its code text, or None)";
            break;
        case FieldKind::Text: doc += ". Text"; break;
        case FieldKind::Fixed:
            doc += ". Text, written filled with spaces to " + std::to_string(field.width) + " characters";
            break;
        case FieldKind::Unwritten: doc += ". Text that is kept but not written"; break;
    }
    return doc + ".";
}

std::string class_doc(const prjVireo::catalogue::Slot& slot) {
    const prjVireo::SegmentClassDescriptor& c = *slot.segment_class;
    std::string doc = std::string(c.name) + ": the " + c.segment_id + " segment of loop " + c.loop;
    // The guide's name of the position it writes: "Claim Information".
    const prjVireo::guide::Guide* guide = prjVireo::guide::guide_writing(c);
    const auto positions = guide ? guide->positions_of(c) : std::vector<const prjVireo::guide::Segment*>();
    if (!positions.empty() && !positions.front()->name.empty()) doc += ", " + std::string(positions.front()->name);
    return doc + "; the object of Vireo." + std::string(slot.property) + " (annotation label " + c.label + ").";
}

}  // namespace vireo_python
