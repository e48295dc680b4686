#include "vireo/tools/runner/script_values.h"

#include <algorithm>
#include <vector>

#include "vireo/control/control.h"
#include "vireo/core/x12_number.h"
#include "vireo/guide/guide.h"
#include "vireo/tools/runner/script_control.h"
#include "vireo/tools/runner/script_messages.h"

namespace vireo_runner {

using namespace prjVireo;

namespace {

// "\"no_LForCR_ToSegEnd\", \"LF_ToSegEnd\", \"LfCr_ToSegEnd\"": the names NewLine
// takes, by value, for messages.
const std::string& newline_names_text() {
    static const std::string text = [] {
        std::vector<NewLineValueName> names(std::begin(kNewLineValueNames), std::end(kNewLineValueNames));
        std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.value < b.value; });
        std::string out;
        for (const auto& n : names) out += (out.empty() ? "\"" : ", \"") + std::string(n.name) + "\"";
        return out;
    }();
    return text;
}

// A control error's detail quotes the value it refused in full; a message
// of the runner quotes at most an excerpt of it.
std::string shortened(std::string detail, const Scalar& v) {
    if (v.type != Scalar::String || v.text.size() <= kExcerptSize) return detail;
    const std::string whole = json_quoted(v.text);
    if (const auto at = detail.find(whole); at != std::string::npos) {
        return detail.replace(at, whole.size(), quoted_excerpt(v.text));
    }
    const std::string plain = "\"" + std::string(v.text) + "\"";
    if (const auto at = detail.find(plain); at != std::string::npos) {
        return detail.replace(at, plain.size(), quoted_excerpt(v.text));
    }
    return detail;
}

bool in_list(const FieldDescriptor& f, std::int32_t value) {
    const CodeListDescriptor& list = *f.codelist;
    for (std::size_t i = 0; i < list.member_count; ++i) {
        if (list.members[i].value == value) return true;
    }
    return false;
}

// A value that is not in the field's code list: the list is named, with its
// codes when they are few, or the closest code when `text` is close to one.
[[noreturn]] void not_in_list(const ScriptControl& control, std::size_t slot, std::size_t field,
                              const std::string& shown, std::string_view text) {
    const CodeListDescriptor& list = *control.field(slot, field).codelist;
    std::string message = shown + " is not in the code list " + list.name + " of " + control.field_where(slot, field);
    if (list.member_count <= 16) {
        message += "; its codes are";
        for (std::size_t i = 0; i < list.member_count; ++i) {
            message += std::string(i ? ", " : " ") + json_quoted(list.members[i].code);
        }
    } else if (!text.empty()) {
        std::vector<std::string_view> names;
        for (std::size_t i = 0; i < list.member_count; ++i) {
            names.push_back(list.members[i].code);
            names.push_back(list.members[i].name);
        }
        message += did_you_mean(text, names);
    }
    throw RunError(message);
}

// The Code value for a code text or member name of the field's code list.
std::int32_t code_of(const ScriptControl& control, std::size_t slot, std::size_t field, std::string_view text) {
    if (text.empty()) return 0;
    const CodeListDescriptor& list = *control.field(slot, field).codelist;
    if (const CodeMember* m = list.find_code(text)) return m->value;
    if (const CodeMember* m = list.find_name(text)) return m->value;
    for (std::size_t i = 0; i < list.member_count; ++i) {
        if (same_name(list.members[i].name, text)) return list.members[i].value;
    }
    not_in_list(control, slot, field, quoted_excerpt(text), text);
}

}  // namespace

const Setting* find_setting(const catalogue::Catalogue& catalogue, std::string_view name) {
    for (const Setting* s : members::settings(catalogue)) {
        if (same_name(s->name, name)) return s;
    }
    return nullptr;
}

std::string unknown_setting(const catalogue::Catalogue& catalogue, std::string_view name) {
    std::vector<std::string_view> names;
    std::string list;
    for (const Setting* s : members::settings(catalogue)) {
        names.push_back(s->name);
        list += std::string(list.empty() ? "" : ", ") + s->name;
    }
    return "\"set\" has no control property " + quoted_excerpt(name) + did_you_mean(name, names) + "; it sets " + list;
}

std::string setting_value_text(const Setting& setting) {
    const std::string name = setting.name;
    switch (setting.kind) {
        case members::Kind::Delimiter:
        case members::Kind::Path: return name + " takes a string";
        case members::Kind::Count: return name + " takes a number as a string, such as \"0\"";
        case members::Kind::NewLine: return name + " takes an integer or one of " + newline_names_text();
        case members::Kind::Boolean: return name + " takes true or false";
    }
    return {};
}

std::string field_value_text(const ScriptControl& control, std::size_t slot, std::size_t field) {
    const FieldDescriptor& f = control.field(slot, field);
    if (f.kind == FieldKind::Code) {
        return control.field_where(slot, field) + " is a code field of " + f.codelist->name +
               ": it takes a code text, a member name or an integer";
    }
    return control.field_where(slot, field) + " is a text field: it takes a string";
}

// A number for a decimal (R) or numeric (N0) element, written as X12 writes
// it: "145" for 145.00, "-12.5", never an exponent.
std::string number_text(const ScriptControl& control, std::size_t slot, std::size_t field, const Scalar& v) {
    const FieldDescriptor& f = control.field(slot, field);
    const SegmentClassDescriptor& segment_class = *control.catalogue().slots()[slot].segment_class;
    const guide::Guide* guide = guide::guide_of(control.catalogue());
    const guide::Element* e = guide ? guide->element_of(segment_class, f) : nullptr;
    const guide::DataType type = e && e->data ? e->data->type : guide::DataType::AN;
    if (type != guide::DataType::R && type != guide::DataType::N0) {
        throw RunError(control.field_where(slot, field) +
                       " is a text field: it takes a string (numbers only for decimal and whole-number elements), not " +
                       v.type_name());
    }
    std::string written;
    if (v.type == Scalar::Integer) {
        written = std::to_string(v.integer);
    } else if (v.type == Scalar::Unsigned) {
        written = std::to_string(v.unsigned_integer);
    } else if (v.type == Scalar::Float) {
        written = std::string(v.text);
    } else {
        throw RunError(control.field_where(slot, field) + " is a number too large for any element");
    }
    const bool whole = type == guide::DataType::N0;
    const std::size_t digits = e->data->max_length;
    if (auto text = x12_number(written, whole ? X12NumberForm::Whole : X12NumberForm::Decimal, digits)) return *text;
    throw RunError(control.field_where(slot, field) + " cannot take " + written + ": " +
                   guide::reference(segment_class.segment_id, f.element, f.component) + " is " +
                   (whole ? "a whole number" : "a decimal number") + " of at most " + std::to_string(digits) + " digits");
}

void set_property(ScriptControl& control, const Setting& setting, const Scalar& v) {
    const auto wrong = [&] { return RunError(setting_value_text(setting) + ", not " + v.type_name()); };
    Variant value;
    switch (setting.kind) {
        case members::Kind::Delimiter:
        case members::Kind::Path:
            if (v.type != Scalar::String) throw wrong();
            value = Variant(v.text);
            break;
        case members::Kind::Count:
            // Text that is not a number is the control's to judge: passed
            // over with ErrorTrap false, an error with it true.
            if (v.type != Scalar::String) throw wrong();
            value = Variant(v.text);
            break;
        case members::Kind::NewLine:
            if (auto n = v.to_int32()) {
                value = Variant(*n);
            } else if (v.type == Scalar::String) {
                const NewLineValueName* found = nullptr;
                for (const auto& m : kNewLineValueNames) {
                    if (same_name(m.name, v.text)) found = &m;
                }
                if (!found) {
                    throw RunError(std::string(setting.name) + " has no member " + quoted_excerpt(v.text) +
                                   "; it takes an integer or one of " + newline_names_text());
                }
                value = Variant(found->value);
            } else if (v.is_integer()) {
                throw RunError(std::string(setting.name) + " takes a 32-bit integer; this one is out of range");
            } else {
                throw wrong();
            }
            break;
        case members::Kind::Boolean:
            if (v.type != Scalar::Boolean) throw wrong();
            value = Variant::boolean(v.boolean);
            break;
    }
    std::vector<Variant> args{std::move(value)};
    ControlDispatch& dispatch = control.dispatch();
    try {
        dispatch.Invoke(setting.dispid, InvokeKind::PropertyPut, args);
    } catch (const VbError& e) {
        throw VbError(e.number(), shortened(detail_of(e), v));
    }
}

void set_field(ScriptControl& control, std::size_t slot, std::size_t field, const Scalar& v) {
    const FieldDescriptor& f = control.field(slot, field);
    if (f.kind != FieldKind::Code) {
        if (v.type == Scalar::Integer || v.type == Scalar::Unsigned || v.type == Scalar::TooLarge ||
            v.type == Scalar::Float) {
            control.segment(slot).text(f) = number_text(control, slot, field, v);
            return;
        }
        if (v.type != Scalar::Null && v.type != Scalar::String) {
            throw RunError(field_value_text(control, slot, field) + ", not " + v.type_name());
        }
        // Set on the object itself, as the late-bound put does: a large
        // value is moved from the parser instead of copied.
        std::string& text = control.segment(slot).text(f);
        if (v.type == Scalar::Null) {
            text.clear();
        } else {
            text.assign(v.text);
        }
        return;
    }
    std::int32_t code = 0;
    if (v.type == Scalar::Null) {
        code = 0;
    } else if (auto n = v.to_int32()) {
        // An integer is a Code value; it must be one of the list's, as a code text
        // must: any other would write whatever bytes it spells (126 is "~").
        if (*n != 0 && !in_list(f, *n)) {
            not_in_list(control, slot, field,
                        std::to_string(*n) + " (code text " + json_quoted(CodeToString(*n)) + ")", {});
        }
        code = *n;
    } else if (v.type == Scalar::String) {
        code = code_of(control, slot, field, v.text);
    } else if (v.is_integer()) {
        throw RunError(control.field_where(slot, field) + " takes a 32-bit Code value; this integer is out of range");
    } else {
        throw RunError(field_value_text(control, slot, field) + ", not " + v.type_name());
    }
    // Set on the object itself, worded as the late-bound put words a refusal.
    try {
        control.segment(slot).set_code(f, code);
    } catch (const VbError& e) {
        throw VbError(e.number(), control.field_where(slot, field) + " cannot take that value");
    }
}

}  // namespace vireo_runner
