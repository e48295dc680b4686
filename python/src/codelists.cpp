// Every code list as an enum.IntEnum (a subclass of vireo.CodeList), made from
// the catalogue's code list descriptors, and the conversions of code fields.
#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "binding.h"
#include "vireo/core/x12_number.h"
#include "vireo/guide/guide.h"
#include "vireo/control/dispatch.h"
#include "vireo/core/code.h"

namespace vireo_python {
namespace {

using prjVireo::CodeListDescriptor;
using prjVireo::FieldDescriptor;
using prjVireo::SegmentClassDescriptor;

std::unordered_map<const CodeListDescriptor*, CodeListBinding>& bindings() {
    static std::unordered_map<const CodeListDescriptor*, CodeListBinding> table;
    return table;
}

// An IntEnum made with the functional API: base(name, [(member, value)...], module=module).
PyObject* make_enum(PyObject* base, const char* name, const std::vector<std::pair<const char*, std::int32_t>>& members,
                    const char* module) {
    PyObject* list = PyList_New(static_cast<Py_ssize_t>(members.size()));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < members.size(); ++i) {
        PyObject* item = Py_BuildValue("(si)", members[i].first, members[i].second);
        if (!item) {
            Py_DECREF(list);
            return nullptr;
        }
        PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), item);
    }
    PyObject* args = Py_BuildValue("(sN)", name, list);
    PyObject* kwargs = args ? Py_BuildValue("{ss}", "module", module) : nullptr;
    PyObject* type = kwargs ? PyObject_Call(base, args, kwargs) : nullptr;
    Py_XDECREF(args);
    Py_XDECREF(kwargs);
    return type;
}

bool code_error(const SegmentClassDescriptor& segment_class, const FieldDescriptor& field, const std::string& shown) {
    const CodeListDescriptor& list = *field.codelist;
    std::string message = std::string(segment_class.name) + "." + field.name + ": " + shown +
                          " is not a code of the list " + list.name + " (codes: " + prjVireo::codes_text(list) + ")";
    PyObject* error = PyObject_CallFunction(CodeErrorType, "is#s", 380, message.data(),
                                            static_cast<Py_ssize_t>(message.size()),
                                            "Invalid property value");
    if (error) {
        PyErr_SetObject(CodeErrorType, error);
        Py_DECREF(error);
    }
    return false;
}

}  // namespace

PyObject* CodeListBinding::member(std::int32_t value) const {
    const auto it = std::lower_bound(values.begin(), values.end(), value);
    if (it == values.end() || *it != value) return nullptr;
    return members[static_cast<std::size_t>(it - values.begin())];
}

const CodeListBinding* codelist_binding(const CodeListDescriptor* list) {
    auto& table = bindings();
    const auto it = table.find(list);
    return it == table.end() ? nullptr : &it->second;
}

bool bind_codelists(PyObject* module, const CatalogueDeclarations& catalogue) {
    PyObject* base_module = PyImport_ImportModule("vireo._base");
    if (!base_module) return false;
    PyObject* base = PyObject_GetAttrString(base_module, "CodeList");
    Py_DECREF(base_module);
    if (!base) return false;
    const char* module_name = PyModule_GetName(module);
    if (!module_name) {
        Py_DECREF(base);
        return false;
    }
    bool ok = true;
    for (const CodeListDescriptor* list : catalogue.codelists()) {
        // A list that two catalogues share is one enum, bound with the first.
        if (const CodeListBinding* bound = codelist_binding(list)) {
            if (PyModule_AddObjectRef(module, list->name, bound->enum_type) < 0) {
                ok = false;
                break;
            }
            continue;
        }
        std::vector<std::pair<const char*, std::int32_t>> members;
        for (std::size_t i = 0; i < list->member_count; ++i) {
            members.emplace_back(list->members[i].name, list->members[i].value);
        }
        PyObject* type = make_enum(base, list->name, members, module_name);
        if (!type) {
            ok = false;
            break;
        }
        CodeListBinding binding{list, type, {}, {}};
        std::vector<std::size_t> order(list->member_count);
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return list->members[a].value < list->members[b].value; });
        for (std::size_t i : order) {
            if (!binding.values.empty() && binding.values.back() == list->members[i].value) continue;
            PyObject* member = PyObject_GetAttrString(type, list->members[i].name);
            if (!member) {
                ok = false;
                break;
            }
            binding.values.push_back(list->members[i].value);
            binding.members.push_back(member);  // kept for the module's life
        }
        if (!ok || PyModule_AddObjectRef(module, list->name, type) < 0) {
            ok = false;
            break;
        }
        bindings().emplace(list, std::move(binding));  // keeps `type`
    }
    Py_DECREF(base);
    return ok;
}

PyObject* NewLineValuesType = nullptr;

bool bind_newline_values(PyObject* module) {
    PyObject* enum_module = PyImport_ImportModule("enum");
    if (!enum_module) return false;
    PyObject* int_enum = PyObject_GetAttrString(enum_module, "IntEnum");
    Py_DECREF(enum_module);
    if (!int_enum) return false;
    // In the documented order.
    std::vector<std::pair<const char*, std::int32_t>> members;
    for (const auto& n : prjVireo::kNewLineValueNames) members.emplace_back(n.name, n.value);
    NewLineValuesType = make_enum(int_enum, "NewLineValues", members, "vireo");
    Py_DECREF(int_enum);
    return NewLineValuesType && PyModule_AddObjectRef(module, "NewLineValues", NewLineValuesType) == 0;
}

bool code_from_python(PyObject* value, const SegmentClassDescriptor& segment_class, const FieldDescriptor& field,
                      std::int32_t& code) {
    const CodeListBinding* list = codelist_binding(field.codelist);
    if (value == Py_None) {
        code = 0;
        return true;
    }
    if (PyLong_Check(value)) {
        if (Py_TYPE(value) == reinterpret_cast<PyTypeObject*>(list->enum_type)) {
            code = static_cast<std::int32_t>(PyLong_AsLong(value));  // a member: in the list
            return true;
        }
        if (PyBool_Check(value)) {
            PyErr_Format(PyExc_TypeError, "%s.%s takes a member of %s, a code text or None, not bool",
                         segment_class.name, field.name, field.codelist->name);
            return false;
        }
        int overflow = 0;
        const long long v = PyLong_AsLongLongAndOverflow(value, &overflow);
        if (v == -1 && PyErr_Occurred()) return false;
        if (v == 0 && !overflow) {
            code = 0;
            return true;
        }
        if (overflow || v < INT32_MIN || v > INT32_MAX || !list->contains(static_cast<std::int32_t>(v))) {
            PyObject* shown = PyObject_Repr(value);
            if (!shown) return false;
            const char* text = PyUnicode_AsUTF8(shown);
            std::string s = text ? text : "?";
            Py_DECREF(shown);
            return code_error(segment_class, field, "the Code value " + s);
        }
        code = static_cast<std::int32_t>(v);
        return true;
    }
    if (PyUnicode_Check(value)) {
        Py_ssize_t n;
        const char* p = PyUnicode_AsUTF8AndSize(value, &n);
        if (!p) return false;
        const std::string_view text(p, static_cast<std::size_t>(n));
        if (text.empty()) {
            code = 0;
            return true;
        }
        if (const prjVireo::CodeMember* m = field.codelist->find_code(text)) {
            code = m->value;
            return true;
        }
        std::string shown = "\"" + std::string(text) + "\"";
        if (field.codelist->find_name(text)) {
            shown += " (a member name: give the member itself, " + std::string(field.codelist->name) + "." +
                     std::string(text) + ")";
        }
        return code_error(segment_class, field, shown);
    }
    PyErr_Format(PyExc_TypeError, "%s.%s takes a member of %s, a code text or None, not %.100s",
                 segment_class.name, field.name, field.codelist->name, Py_TYPE(value)->tp_name);
    return false;
}

namespace {

// The text of a Python object (str() or repr()), or false with the error set.
bool python_text(PyObject* value, bool use_repr, std::string& out) {
    PyObject* text = use_repr ? PyObject_Repr(value) : PyObject_Str(value);
    if (!text) return false;
    Py_ssize_t n;
    const char* p = PyUnicode_AsUTF8AndSize(text, &n);
    if (p) out.assign(p, static_cast<std::size_t>(n));
    Py_DECREF(text);
    return p != nullptr;
}

bool is_decimal(PyObject* value) {
    static PyObject* decimal_type = [] {
        PyObject* module = PyImport_ImportModule("decimal");
        PyObject* type = module ? PyObject_GetAttrString(module, "Decimal") : nullptr;
        Py_XDECREF(module);
        if (!type) PyErr_Clear();
        return type;
    }();
    return decimal_type && PyObject_IsInstance(value, decimal_type) == 1;
}

// A float is taken only when it holds exactly the number its shortest
// spelling says (0.5, 145.0, 12.25): 145.1 as a float is 145.0999..., which
// would silently become another amount.
bool exact_float(PyObject* value, const std::string& spelled) {
    PyObject* module = PyImport_ImportModule("decimal");
    if (!module) return false;
    PyObject* type = PyObject_GetAttrString(module, "Decimal");
    Py_DECREF(module);
    if (!type) return false;
    PyObject* exact = PyObject_CallOneArg(type, value);
    PyObject* written = PyObject_CallFunction(type, "s", spelled.c_str());
    Py_DECREF(type);
    const int same = exact && written ? PyObject_RichCompareBool(exact, written, Py_EQ) : -1;
    Py_XDECREF(exact);
    Py_XDECREF(written);
    if (same < 0) PyErr_Clear();
    return same == 1;
}

}  // namespace

bool text_from_python(PyObject* value, const SegmentClassDescriptor& segment_class, const FieldDescriptor& field,
                      std::string_view& text, std::string& storage) {
    if (value == Py_None) {
        text = {};
        return true;
    }
    if (PyUnicode_Check(value)) {
        Py_ssize_t n;
        const char* p = PyUnicode_AsUTF8AndSize(value, &n);
        if (!p) return false;
        text = std::string_view(p, static_cast<std::size_t>(n));
        return true;
    }
    const bool integer = PyLong_Check(value) && !PyBool_Check(value);
    const bool number = integer || PyFloat_Check(value) || is_decimal(value);
    const prjVireo::guide::Guide* guide = number ? prjVireo::guide::guide_writing(segment_class) : nullptr;
    const prjVireo::guide::Element* e = guide ? guide->element_of(segment_class, field) : nullptr;
    const prjVireo::guide::DataType type = e && e->data ? e->data->type : prjVireo::guide::DataType::AN;
    if (!number || (type != prjVireo::guide::DataType::R && type != prjVireo::guide::DataType::N0)) {
        PyErr_Format(PyExc_TypeError, "%s.%s takes a str or None%s, not %.100s", segment_class.name, field.name,
                     number ? " (numbers only for decimal and whole-number elements)" : "", Py_TYPE(value)->tp_name);
        return false;
    }
    std::string spelled;
    if (!python_text(value, PyFloat_Check(value), spelled)) return false;
    if (PyFloat_Check(value) && !exact_float(value, spelled)) {
        PyErr_Format(PyExc_ValueError,
                     "%s.%s cannot take the float %s exactly (it holds a binary fraction near it): give "
                     "decimal.Decimal(\"%s\") or the text \"%s\"",
                     segment_class.name, field.name, spelled.c_str(), spelled.c_str(), spelled.c_str());
        return false;
    }
    const bool whole = type == prjVireo::guide::DataType::N0;
    const std::size_t digits = e->data->max_length;
    auto written = prjVireo::x12_number(spelled, whole ? prjVireo::X12NumberForm::Whole : prjVireo::X12NumberForm::Decimal,
                                        digits);
    if (!written) {
        PyErr_Format(PyExc_ValueError, "%s.%s cannot take %s: %s is %s of at most %zu digits", segment_class.name,
                     field.name, spelled.c_str(),
                     prjVireo::guide::reference(segment_class.segment_id, field.element, field.component).c_str(),
                     whole ? "a whole number" : "a decimal number", digits);
        return false;
    }
    storage = std::move(*written);
    text = storage;
    return true;
}

}  // namespace vireo_python
