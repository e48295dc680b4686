#include "vireo/control/typelib.h"

#include <cstdio>

#include "vireo/control/catalogue.h"
#include "vireo/control/members.h"
#include "vireo/core/text.h"
#include "vireo/core/writer_state.h"

namespace prjVireo::typelib {

const std::vector<Member>& control_properties() {
    static const std::vector<Member> table = [] {
        std::vector<Member> properties;
        for (const members::Property& p : members::kProperties) {
            properties.push_back(
                {p.name, p.dispid, false, members::type_name(p.kind), p.persisted, p.doc, p.browsable, {}});
        }
        return properties;
    }();
    return table;
}

std::vector<Member> control_properties(const catalogue::Catalogue& catalogue) {
    std::vector<Member> properties;
    const std::vector<Member>& all = control_properties();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (members::belongs(members::kProperties[i], catalogue)) properties.push_back(all[i]);
    }
    return properties;
}

const std::vector<Member>& control_methods() {
    static const std::vector<Member> table = {
#define VIREO_CONTROL_PROPERTY(...)
#define VIREO_CONTROL_METHOD(Name, Constant, Dispid, Result, Doc, ...) \
    {#Name, dispids::Constant, true, Result, nullptr, Doc, true, {__VA_ARGS__}},
#include "vireo/control/members.def"
#undef VIREO_CONTROL_PROPERTY
#undef VIREO_CONTROL_METHOD
    };
    return table;
}

namespace {

const char* assembly_name(Assembly a) {
    switch (a) {
        case Assembly::Common: return "trailing present";
        case Assembly::AllElements: return "all elements";
        case Assembly::Interchange: return "interchange header";
        case Assembly::Trailer: return "transaction trailer";
        case Assembly::PackedComposites: return "packed composites";
    }
    return "";
}

void put_member(std::string& out, const Member& m) {
    out += "{\"name\": ";
    text::append_json_string(out, m.name, text::JsonNonAscii::Keep);
    out += ", \"dispid\": " + std::to_string(m.dispid);
    if (!m.is_method) {
        out += ", \"type\": ";
        text::append_json_string(out, m.type, text::JsonNonAscii::Keep);
        out += ", \"persisted\": ";
        if (m.persisted) {
            text::append_json_string(out, m.persisted, text::JsonNonAscii::Keep);
        } else {
            out += "null";
        }
        if (!m.browsable) out += ", \"browsable\": false";
    } else {
        out += ", \"returns\": ";
        if (*m.type) {
            text::append_json_string(out, m.type, text::JsonNonAscii::Keep);
        } else {
            out += "null";
        }
        out += ", \"parameters\": [";
        for (std::size_t i = 0; i < m.parameters.size(); ++i) {
            const Parameter& p = m.parameters[i];
            if (i) out += ", ";
            out += "{\"name\": ";
            text::append_json_string(out, p.name, text::JsonNonAscii::Keep);
            out += ", \"type\": ";
            text::append_json_string(out, p.type, text::JsonNonAscii::Keep);
            out += std::string(", \"byref\": ") + (p.by_ref ? "true" : "false");
            out += std::string(", \"optional\": ") + (p.optional ? "true" : "false") + "}";
        }
        out += "]";
    }
    out += ", \"doc\": ";
    if (m.doc) {
        text::append_json_string(out, m.doc, text::JsonNonAscii::Keep);
    } else {
        out += "null";
    }
    out += "}";
}

}  // namespace

std::string to_json(const catalogue::Catalogue& catalogue, const ClassNotes& notes) {
    std::string out;
    out.reserve(1 << 20);
    out += "{\"name\": ";
    text::append_json_string(out, kLibraryName, text::JsonNonAscii::Keep);
    out += ", \"description\": ";
    text::append_json_string(out, catalogue.description(), text::JsonNonAscii::Keep);
    out += ",\n \"control\": {\"name\": \"vireo\", \"interface\": \"_vireo\", \"events_interface\": \"__vireo\",\n";
    out += "  \"properties\": [\n";
    bool first = true;
    for (const catalogue::Slot& s : catalogue.slots()) {
        out += first ? "   " : ",\n   ";
        first = false;
        out += "{\"name\": ";
        text::append_json_string(out, s.property, text::JsonNonAscii::Keep);
        out += ", \"dispid\": " + std::to_string(s.dispid) + ", \"type\": ";
        text::append_json_string(out, s.segment_class->name, text::JsonNonAscii::Keep);
        out += ", \"persisted\": null}";
    }
    for (const Member& m : control_properties(catalogue)) {
        out += ",\n   ";
        put_member(out, m);
    }
    out += "],\n  \"methods\": [\n";
    first = true;
    for (const Member& m : control_methods()) {
        out += first ? "   " : ",\n   ";
        first = false;
        put_member(out, m);
    }
    out += "],\n  \"events\": [{\"name\": \"BeforeAdd\", \"dispid\": " + std::to_string(kBeforeAddDispid) +
           ", \"parameters\": [{\"name\": \"SegValue\", \"type\": \"String\", \"byref\": true}, "
           "{\"name\": \"SegCount\", \"type\": \"Long\", \"byref\": true}, "
           "{\"name\": \"bCancel\", \"type\": \"Boolean\", \"byref\": true}]}]},\n";

    out += " \"classes\": [\n";
    first = true;
    for (const catalogue::Slot& s : catalogue.slots()) {
        const SegmentClassDescriptor& c = *s.segment_class;
        out += first ? "  " : ",\n  ";
        first = false;
        out += "{\"name\": ";
        text::append_json_string(out, c.name, text::JsonNonAscii::Keep);
        out += ", \"segment\": ";
        text::append_json_string(out, c.segment_id, text::JsonNonAscii::Keep);
        out += ", \"loop\": ";
        text::append_json_string(out, c.loop, text::JsonNonAscii::Keep);
        out += ", \"property\": ";
        text::append_json_string(out, s.property, text::JsonNonAscii::Keep);
        out += ", \"dispid\": " + std::to_string(s.dispid) + ", \"label\": ";
        text::append_json_string(out, c.label, text::JsonNonAscii::Keep);
        out += ", \"assembly\": ";
        text::append_json_string(out, assembly_name(c.assembly), text::JsonNonAscii::Keep);
        out += std::string(", \"counted\": ") + (c.counting == Counting::Counted ? "true" : "false");
        if (notes.segment_class) notes.segment_class(out, c);
        out += ", \"fields\": [";
        for (std::size_t i = 0; i < c.field_count; ++i) {
            const FieldDescriptor& f = c.fields[i];
            if (i) out += ", ";
            out += "{\"name\": ";
            text::append_json_string(out, f.name, text::JsonNonAscii::Keep);
            out += ", \"kind\": ";
            text::append_json_string(out, f.kind == FieldKind::Code ? "code" : "text", text::JsonNonAscii::Keep);
            if (f.kind == FieldKind::Code) {
                out += ", \"codelist\": ";
                text::append_json_string(out, f.codelist->name, text::JsonNonAscii::Keep);
            }
            out += ", \"element\": " + std::to_string(f.element);
            if (f.component) out += ", \"component\": " + std::to_string(f.component);
            if (f.kind == FieldKind::Fixed) out += ", \"width\": " + std::to_string(f.width);
            if (f.kind == FieldKind::Unwritten) out += ", \"written\": false";
            out += ", \"dispid\": " + std::to_string(kFirstFieldDispid + static_cast<DISPID>(i));
            if (notes.field) notes.field(out, c, f);
            out += "}";
        }
        out += "]}";
    }
    out += "],\n \"codelists\": [\n";
    first = true;
    for (const CodeListDescriptor* l : catalogue.codelists()) {
        out += first ? "  " : ",\n  ";
        first = false;
        out += "{\"name\": ";
        text::append_json_string(out, l->name, text::JsonNonAscii::Keep);
        out += ", \"members\": [";
        for (std::size_t i = 0; i < l->member_count; ++i) {
            if (i) out += ", ";
            out += "{\"name\": ";
            text::append_json_string(out, l->members[i].name, text::JsonNonAscii::Keep);
            out += ", \"code\": ";
            text::append_json_string(out, l->members[i].code, text::JsonNonAscii::Keep);
            out += ", \"value\": " + std::to_string(l->members[i].value) + "}";
        }
        out += "]}";
    }
    out += "],\n \"enums\": [{\"name\": \"NewLineValues\", \"members\": [";
    first = true;
    for (const NewLineValueName& n : kNewLineValueNames) {
        if (!first) out += ", ";
        first = false;
        out += "{\"name\": ";
        text::append_json_string(out, n.name, text::JsonNonAscii::Keep);
        out += ", \"value\": " + std::to_string(n.value) + "}";
    }
    out += "]}]}\n";
    return out;
}

}  // namespace prjVireo::typelib
