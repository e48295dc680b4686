// The JSON Schema of the script format, built from the catalogue so that an
// editor completes and checks exactly the names the runner accepts.
#include <string>

#include <nlohmann/json.hpp>

#include "vireo/control/catalogue.h"
#include "vireo/control/members.h"
#include "vireo/guide/guide.h"
#include "vireo/tools/runner/script_runner.h"

namespace vireo_runner {

using namespace prjVireo;
using ordered_json = nlohmann::ordered_json;

namespace {

ordered_json int32_schema() {
    return {{"type", "integer"}, {"minimum", INT32_MIN}, {"maximum", INT32_MAX}};
}

// A code field's value: a code text, a member name (both described by the
// other), an integer Code value, or null / "" for no code.
ordered_json codelist_schema(const CodeListDescriptor& list) {
    ordered_json choices = ordered_json::array();
    for (std::size_t i = 0; i < list.member_count; ++i) {
        const CodeMember& m = list.members[i];
        choices.push_back({{"const", m.code}, {"description", m.name}});
    }
    for (std::size_t i = 0; i < list.member_count; ++i) {
        const CodeMember& m = list.members[i];
        choices.push_back({{"const", m.name}, {"description", std::string("code \"") + m.code + "\""}});
    }
    ordered_json integer = int32_schema();
    integer["description"] = "a Code value: the code's characters as the bytes of a 32-bit integer";
    choices.push_back(integer);
    choices.push_back({{"enum", {nullptr, ""}}, {"description", "no code"}});
    return {{"description", std::string("code list ") + list.name}, {"anyOf", choices}};
}

// A field's description: the implementation guide's element (its name,
// usage, type and lengths), so that an editor shows it beside the name.
ordered_json field_schema(const guide::Guide* g, const SegmentClassDescriptor& c, const FieldDescriptor& f) {
    std::string guide = g ? g->describe(c, f) : std::string();
    if (f.kind == FieldKind::Code) {
        ordered_json ref = {{"$ref", std::string("#/$defs/codelists/") + f.codelist->name}};
        if (!guide.empty()) ref["description"] = guide;
        return ref;
    }
    std::string description = guide.empty() ? "text, element " + std::to_string(f.element) +
                                                  (f.component ? " component " + std::to_string(f.component) : "")
                                            : guide;
    if (guide.empty()) description += ", not an element of the guide";
    if (f.kind == FieldKind::Fixed) description += ", written as exactly " + std::to_string(f.width) + " characters";
    if (f.kind == FieldKind::Unwritten) description += ", never written";
    // A decimal or whole-number element also takes a JSON number.
    const guide::Element* e = g ? g->element_of(c, f) : nullptr;
    const guide::DataType type = e && e->data ? e->data->type : guide::DataType::AN;
    if (type == guide::DataType::R) return {{"type", {"string", "number", "null"}}, {"description", description}};
    if (type == guide::DataType::N0) return {{"type", {"string", "integer", "null"}}, {"description", description}};
    return {{"type", {"string", "null"}}, {"description", description}};
}

// What a "set" step gives a control property, by its kind.
ordered_json setting_schema(const members::Property& p) {
    switch (p.kind) {
        case members::Kind::Delimiter:
            return {{"type", "string"}, {"description", "one character; \"\" stores a space"}};
        case members::Kind::Path: return {{"type", "string"}};
        case members::Kind::Count:
            return {{"type", "string"},
                    {"description",
                     "the segment count as text; \"0\" before ST makes SE count its transaction. Any string is "
                     "accepted here: the control reads the number, and text that is not one is passed over while "
                     "ErrorTrap is false and is an error (the run stops) while it is true"}};
        case members::Kind::NewLine: {
            ordered_json names = ordered_json::array();
            for (const auto& n : kNewLineValueNames) names.push_back(n.name);
            return {{"anyOf", {int32_schema(), {{"enum", names}}}},
                    {"description", "after each segment: 0 nothing, 1 LF, 2 CR LF"}};
        }
        case members::Kind::Boolean: break;
    }
    ordered_json flag = {{"type", "boolean"}};
    // What ErrorTrap means to a run: the runner stops at the first error reported.
    if (p.dispid == dispids::kErrorTrap) flag["description"] = "true: the first failing call stops the run";
    return flag;
}

ordered_json class_schema(const guide::Guide* g, const SegmentClassDescriptor& c) {
    ordered_json properties = ordered_json::object();
    properties["#"] = {{"description", "a comment, ignored"}};
    for (std::size_t i = 0; i < c.field_count; ++i) properties[c.fields[i].name] = field_schema(g, c, c.fields[i]);
    std::string description = std::string(c.segment_id) + " segment, loop " + c.loop;
    for (const guide::Segment* p : g ? g->positions_of(c) : std::vector<const guide::Segment*>()) {
        description = std::string(c.segment_id) + " " + std::string(p->name) + ", loop " + std::string(p->loop->shown) +
                      " (" + std::string(guide::usage_name(p->usage)) + ", at most " + std::to_string(p->max_use) +
                      " in the loop)";
    }
    return {{"type", "object"},
            {"description", description},
            {"properties", properties},
            {"additionalProperties", false}};
}

}  // namespace

ordered_json script_schema() { return script_schema(catalogue::professional_4010()); }

ordered_json script_schema(const catalogue::Catalogue& catalogue) {
    const auto& slots = catalogue.slots();
    const guide::Guide* g = guide::guide_of(catalogue);

    ordered_json codelists = ordered_json::object();
    for (const CodeListDescriptor* list : catalogue.codelists()) codelists[list->name] = codelist_schema(*list);

    ordered_json classes = ordered_json::object();
    ordered_json slot_refs = ordered_json::object();
    ordered_json slot_names = ordered_json::array();
    for (const auto& s : slots) {
        classes[s.segment_class->name] = class_schema(g, *s.segment_class);
        const std::string ref = std::string("#/$defs/classes/") + s.segment_class->name;
        slot_refs[std::string(s.property)] = {{"$ref", ref}};
        slot_names.push_back(s.property);
    }

    ordered_json guide_ids = ordered_json::array();
    for (const guide::Guide* known : guide::registered_guides()) {
        if (catalogue::find_catalogue(known->id())) guide_ids.push_back(known->id());
    }

    ordered_json setting_properties = ordered_json::object();
    for (const members::Property* p : members::settings(catalogue)) setting_properties[p->name] = setting_schema(*p);
    ordered_json settings = {{"type", "object"},
                             {"description", "sets control properties in the order written"},
                             {"properties", setting_properties},
                             {"additionalProperties", false}};

    // A step holds exactly one action, and optionally a "#" comment.
    ordered_json step_properties = ordered_json::object();
    step_properties["#"] = {{"description", "a comment, ignored"}};
    step_properties["set"] = {{"$ref", "#/$defs/settings"}};
    step_properties["clear"] = {{"$ref", "#/$defs/slot_name"}, {"description", "Clear without Additem"}};
    step_properties["assign"] = {{"type", "object"},
                                 {"description", "sets fields without Clear or Additem"},
                                 {"properties", slot_refs},
                                 {"additionalProperties", false}};
    step_properties["additem"] = {{"$ref", "#/$defs/slot_name"}, {"description", "Additem with the fields as they are"}};
    step_properties["columns"] = {
        {"type", "object"},
        {"description", "names, for each segment object property, the fields its rows give, in order"},
        {"propertyNames", {{"$ref", "#/$defs/slot_name"}}},
        {"additionalProperties", {{"type", "array"}, {"items", {{"type", "string"}}}}}};
    for (auto& [name, ref] : slot_refs.items()) {
        ordered_json entry = ref;
        entry["description"] = "Clear, set these fields, Additem";
        step_properties[name] = entry;
    }
    ordered_json one_action = ordered_json::array();
    for (const char* verb : {"set", "clear", "assign", "additem", "columns"}) one_action.push_back({{"required", {verb}}});
    for (const auto& s : slots) one_action.push_back({{"required", {s.property}}});
    one_action.push_back({{"required", {"#"}}, {"maxProperties", 1}});

    ordered_json step = {{"type", "object"},
                         {"properties", step_properties},
                         {"additionalProperties", false},
                         {"oneOf", one_action}};

    return {
        {"$schema", "https://json-schema.org/draft/2020-12/schema"},
        {"title", "vireo run script"},
        {"description",
         "Steps run in order against one control; the output file is written only when all succeed. "
         "A script is this object, or one step per line (JSON Lines: each line a #/$defs/step or a "
         "#/$defs/row, the output given with -o), told apart by the first member of the first object. "
         "A \"columns\" step names a segment's fields once; each row then gives their values."},
        {"type", "object"},
        {"properties",
         {{"$schema", {{"type", "string"}}},
          {"#", {{"description", "a comment, ignored"}}},
          {"output", {{"type", "string"}, {"description", "the file to write; -o on the command line wins"}}},
          {"guide", {{"enum", guide_ids}, {"description", "the guide the script writes (the default: 004010X098A1); "
                                                           "before \"steps\""}}},
          {"auto",
           {{"type", "boolean"},
            {"description", "automatic bookkeeping: the empty HL01, HL02, HL04, LX01, SE02, GE01, GE02, IEA01 and "
                            "IEA02 are filled and SegCount is set to 0 before ST; values the steps set are kept; "
                            "before \"steps\""}}},
          {"steps",
           {{"type", "array"},
            {"items", {{"anyOf", ordered_json::array({{{"$ref", "#/$defs/step"}}, {{"$ref", "#/$defs/row"}}})}}}}}}},
        {"required", {"steps"}},
        {"additionalProperties", false},
        {"$defs",
         {{"step", step},
          {"row",
           {{"type", "array"},
            {"description",
             "a segment object property, then one value per field its last \"columns\" step named: "
             "Clear, set those fields, Additem, as a segment step does"},
            {"prefixItems", {{{"$ref", "#/$defs/slot_name"}}}},
            {"items", {{"type", {"string", "number", "null"}}}},
            {"minItems", 1}}},
          {"settings", settings},
          {"slot_name", {{"enum", slot_names}}},
          {"classes", classes},
          {"codelists", codelists}}}};
}

}  // namespace vireo_runner
