// The control, Vireo, one type per catalogue (vireo.professional_5010.Vireo;
// vireo.Vireo is the first catalogue's): its properties and methods under
// their documented names, one property per segment class (from the
// catalogue's slot list), and BeforeAdd. The Python objects of its segment
// objects are kept with it, so that the garbage collector sees the handlers
// that refer back to it.
#include <chrono>
#include <deque>
#include <limits>

#include "binding.h"
// After Python.h, which it needs.
#include <structmember.h>
#include "output.h"
#include "vireo/control/dispatch.h"
#include "vireo/control/members.h"
#include "vireo/control/typelib.h"

namespace vireo_python {

struct ControlWrapper {
    PyObject_HEAD
    prjVireo::basic_vireo* control;
    std::shared_ptr<Apartment> apartment;
    const CatalogueDeclarations* catalogue;
    PyObject* members;  // list: the Python object of each slot's segment object, or None
    EventSlot before_add;
    PyObject* weakrefs;
};

namespace {

using prjVireo::basic_vireo;

// The control type of each bound catalogue, with the catalogue it writes.
std::vector<std::pair<PyTypeObject*, const CatalogueDeclarations*>>& control_types() {
    static std::vector<std::pair<PyTypeObject*, const CatalogueDeclarations*>> types;
    return types;
}

const CatalogueDeclarations* catalogue_of_type(PyTypeObject* type) {
    for (const auto& [control_type, catalogue] : control_types()) {
        if (PyType_IsSubtype(type, control_type)) return catalogue;
    }
    return nullptr;
}

ControlWrapper* as_control(PyObject* self) { return reinterpret_cast<ControlWrapper*>(self); }

bool owned(ControlWrapper* c) { return on_owner_thread(c->apartment.get(), "Vireo"); }

// A 16-bit Boolean property from Python: True is -1, False 0, an int as it is.
bool flag_from_python(PyObject* value, std::int16_t& out, const char* what) {
    if (!value) {
        PyErr_Format(PyExc_TypeError, "%s cannot be deleted", what);
        return false;
    }
    return boolean_from_python(value, out, what);
}

bool text_argument(PyObject* value, std::string& out, const char* what) {
    if (!value || !PyUnicode_Check(value)) {
        PyErr_Format(PyExc_TypeError, "%s takes a str, not %.100s", what, value ? Py_TYPE(value)->tp_name : "nothing");
        return false;
    }
    Py_ssize_t n;
    const char* p = PyUnicode_AsUTF8AndSize(value, &n);
    if (!p) return false;
    out.assign(p, static_cast<std::size_t>(n));
    return true;
}

// ---- properties ----

// The control's own properties (control/members.def), each bound by its kind;
// the closure of a property's getset entry is its accessor pair.
using prjVireo::NewLineValues;
using prjVireo::members::Kind;
struct PropertyAccess {
    const char* name;
    std::int16_t (basic_vireo::*get_flag)() const = nullptr;
    void (basic_vireo::*set_flag)(std::int16_t) = nullptr;
    std::string (basic_vireo::*get_text)() const = nullptr;
    void (basic_vireo::*set_text)(const std::string&) = nullptr;
    NewLineValues (basic_vireo::*get_new_line)() const = nullptr;
    void (basic_vireo::*set_new_line)(NewLineValues) = nullptr;
};
#define VIREO_PYTHON_FLAG(Name) .get_flag = &basic_vireo::Name, .set_flag = &basic_vireo::Name
#define VIREO_PYTHON_TEXT(Name) .get_text = &basic_vireo::Name, .set_text = &basic_vireo::Name
#define VIREO_PYTHON_ACCESS_Boolean(Name) VIREO_PYTHON_FLAG(Name)
#define VIREO_PYTHON_ACCESS_Delimiter(Name) VIREO_PYTHON_TEXT(Name)
#define VIREO_PYTHON_ACCESS_Path(Name) VIREO_PYTHON_TEXT(Name)
#define VIREO_PYTHON_ACCESS_Count(Name) VIREO_PYTHON_TEXT(Name)
#define VIREO_PYTHON_ACCESS_NewLine(Name) .get_new_line = &basic_vireo::Name, .set_new_line = &basic_vireo::Name
// In the order of members::kProperties.
const PropertyAccess property_access[] = {
#define VIREO_CONTROL_PROPERTY(Name, Dispid, KindName, ...) {.name = #Name, VIREO_PYTHON_ACCESS_##KindName(Name)},
#define VIREO_CONTROL_METHOD(...)
#include "vireo/control/members.def"
#undef VIREO_CONTROL_PROPERTY
#undef VIREO_CONTROL_METHOD
};
#undef VIREO_PYTHON_FLAG
#undef VIREO_PYTHON_TEXT
#undef VIREO_PYTHON_ACCESS_Boolean
#undef VIREO_PYTHON_ACCESS_Delimiter
#undef VIREO_PYTHON_ACCESS_Path
#undef VIREO_PYTHON_ACCESS_Count
#undef VIREO_PYTHON_ACCESS_NewLine
static_assert(std::size(property_access) == prjVireo::members::kPropertyCount);

const PropertyAccess& access_of(void* closure) { return *static_cast<const PropertyAccess*>(closure); }

// A Boolean: True or False; an int is taken as it is (True is -1).
PyObject* get_flag(PyObject* self, void* closure) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    return PyBool_FromLong((c->control->*access_of(closure).get_flag)() != 0);
}
int set_flag(PyObject* self, PyObject* value, void* closure) {
    ControlWrapper* c = as_control(self);
    const PropertyAccess& a = access_of(closure);
    std::int16_t v;
    if (!owned(c) || !flag_from_python(value, v, a.name)) return -1;
    return translate([&] { (c->control->*a.set_flag)(v); }) ? 0 : -1;
}

// The text properties: a delimiter, the path and the count, each read as a str.
PyObject* get_text(PyObject* self, void* closure) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    std::string value;
    if (!translate([&] { value = (c->control->*access_of(closure).get_text)(); })) return nullptr;
    return str_from(value);
}
// A delimiter takes a str.
int set_delimiter(PyObject* self, PyObject* value, void* closure) {
    ControlWrapper* c = as_control(self);
    const PropertyAccess& a = access_of(closure);
    std::string text;
    if (!owned(c) || !text_argument(value, text, a.name)) return -1;
    return translate([&] { (c->control->*a.set_text)(text); }) ? 0 : -1;
}
// The path takes a str or an os.PathLike.
int set_path(PyObject* self, PyObject* value, void* closure) {
    ControlWrapper* c = as_control(self);
    const PropertyAccess& a = access_of(closure);
    std::string text;
    if (!owned(c)) return -1;
    if (!value) {
        PyErr_Format(PyExc_TypeError, "%s cannot be deleted", a.name);
        return -1;
    }
    if (!path_from_python(value, text)) return -1;
    return translate([&] { (c->control->*a.set_text)(text); }) ? 0 : -1;
}
// The count takes a str, or an int given as its decimal text, which the control converts.
int set_count(PyObject* self, PyObject* value, void* closure) {
    ControlWrapper* c = as_control(self);
    const PropertyAccess& a = access_of(closure);
    if (!owned(c)) return -1;
    std::string text;
    if (value && PyLong_Check(value) && !PyBool_Check(value)) {
        PyObject* s = PyObject_Str(value);
        if (!s) return -1;
        const bool ok = text_argument(s, text, a.name);
        Py_DECREF(s);
        if (!ok) return -1;
    } else if (!text_argument(value, text, (std::string(a.name) + " (a str or an int)").c_str())) {
        return -1;
    }
    return translate([&] { (c->control->*a.set_text)(text); }) ? 0 : -1;
}

// NewLine: a NewLineValues member when the value is one, else the int.
PyObject* get_new_line(PyObject* self, void* closure) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    const auto v = static_cast<long>((c->control->*access_of(closure).get_new_line)());
    PyObject* number = PyLong_FromLong(v);
    if (!number || v < 0 || v > 2) return number;
    PyObject* member = PyObject_CallOneArg(NewLineValuesType, number);
    Py_DECREF(number);
    return member;
}
int set_new_line(PyObject* self, PyObject* value, void* closure) {
    ControlWrapper* c = as_control(self);
    const PropertyAccess& a = access_of(closure);
    if (!owned(c)) return -1;
    if (!value || !PyLong_Check(value) || PyBool_Check(value)) {
        PyErr_Format(PyExc_TypeError, "%s takes a NewLineValues member or an int", a.name);
        return -1;
    }
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (v == -1 && PyErr_Occurred()) return -1;
    if (overflow || v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) {
        PyErr_Format(PyExc_OverflowError, "%s is a 32-bit value", a.name);
        return -1;
    }
    return translate([&] { (c->control->*a.set_new_line)(static_cast<NewLineValues>(v)); }) ? 0 : -1;
}

// The getter and setter of a property of `kind`.
std::pair<getter, setter> functions_of(Kind kind) {
    switch (kind) {
        case Kind::Boolean: return {get_flag, set_flag};
        case Kind::Delimiter: return {get_text, set_delimiter};
        case Kind::Path: return {get_text, set_path};
        case Kind::Count: return {get_text, set_count};
        case Kind::NewLine: break;
    }
    return {get_new_line, set_new_line};
}

PyObject* get_strict_values(PyObject* self, void*) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    bool on = false;
    if (!translate([&] { on = c->control->StrictValues(); })) return nullptr;
    return PyBool_FromLong(on);
}
int set_strict_values(PyObject* self, PyObject* value, void*) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return -1;
    if (!value || !PyBool_Check(value)) {
        PyErr_SetString(PyExc_TypeError, "StrictValues takes a bool");
        return -1;
    }
    return translate([&] { c->control->StrictValues(value == Py_True); }) ? 0 : -1;
}

PyObject* get_auto_bookkeeping(PyObject* self, void*) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    bool on = false;
    if (!translate([&] { on = c->control->AutoBookkeeping(); })) return nullptr;
    return PyBool_FromLong(on);
}
// Switching off writes the segments held for HL04, whose BeforeAdd handlers may run.
bool put_auto_bookkeeping(ControlWrapper* c, bool on) {
    DeferredError error;
    WriteCall call(c->apartment.get(), true);
    try {
        c->control->AutoBookkeeping(on);
    } catch (...) {
        error.capture();
    }
    PyObject* result = call.finish(error);
    Py_XDECREF(result);
    return result != nullptr;
}
int set_auto_bookkeeping(PyObject* self, PyObject* value, void*) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return -1;
    if (!value || !PyBool_Check(value)) {
        PyErr_SetString(PyExc_TypeError, "AutoBookkeeping takes a bool");
        return -1;
    }
    return put_auto_bookkeeping(c, value == Py_True) ? 0 : -1;
}

PyObject* get_before_add(PyObject* self, void*) {
    ControlWrapper* c = as_control(self);
    return make_event(self, &c->before_add, c->apartment.get());
}

// ---- segment object properties: the closure is the slot index ----

std::size_t slot_of(void* closure) { return reinterpret_cast<std::uintptr_t>(closure); }

PyObject* get_member(PyObject* self, void* closure) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    const std::size_t slot = slot_of(closure);
    std::shared_ptr<prjVireo::SegmentObject> object;
    if (!translate([&] { object = c->control->member(slot); })) return nullptr;
    if (!object) Py_RETURN_NONE;
    if (c->members) {
        PyObject* known = PyList_GET_ITEM(c->members, static_cast<Py_ssize_t>(slot));
        if (known != Py_None && reinterpret_cast<SegmentWrapper*>(known)->object == object.get()) {
            return Py_NewRef(known);
        }
    }
    PyObject* wrapper = wrap_segment(std::move(object), c->apartment);
    if (wrapper && c->members) PyList_SetItem(c->members, static_cast<Py_ssize_t>(slot), Py_NewRef(wrapper));
    return wrapper;
}

int set_member(PyObject* self, PyObject* value, void* closure) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return -1;
    const std::size_t slot = slot_of(closure);
    const prjVireo::catalogue::Slot& s = c->catalogue->slots()[slot];
    if (!value) {
        PyErr_Format(PyExc_TypeError, "%s cannot be deleted: assign None to empty it", s.property.data());
        return -1;
    }
    std::shared_ptr<prjVireo::SegmentObject> object;
    if (value != Py_None) {
        if (!is_segment(value) || &reinterpret_cast<SegmentWrapper*>(value)->object->descriptor() != s.segment_class) {
            // The classes of two catalogues may share a name: the message names their modules.
            std::string message = std::string(s.property) + " takes a " + s.segment_class->name +
                                  " object or None, not " + qualified_name(Py_TYPE(value));
            if (is_segment(value) && std::string_view(reinterpret_cast<SegmentWrapper*>(value)->object->descriptor().name) ==
                                         s.segment_class->name) {
                message += " (a class of another catalogue: this control takes " +
                           qualified_name(segment_type(*s.segment_class)) + ")";
            }
            PyErr_SetString(PyExc_TypeError, message.c_str());
            return -1;
        }
        auto* w = reinterpret_cast<SegmentWrapper*>(value);
        if (w->apartment != c->apartment) {
            raise_vb_error(prjVireo::vbErrWrongThread,
                           std::string(prjVireo::vb_error_text(prjVireo::vbErrWrongThread)) + ": " +
                               s.segment_class->name + " was created on another thread than this control; a "
                               "control and its segment objects belong to the thread that created them");
            return -1;
        }
        object = w->holder;
    }
    if (!translate([&] { c->control->set_member(slot, object); })) return -1;
    if (c->members) PyList_SetItem(c->members, static_cast<Py_ssize_t>(slot), Py_NewRef(value));
    return 0;
}

// ---- methods ----

PyObject* control_open_file(PyObject* self, PyObject* args, PyObject* kwargs) {
    ControlWrapper* c = as_control(self);
    static const char* keywords[] = {"FilePath", nullptr};
    PyObject* given = nullptr;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O:OpenFile", const_cast<char**>(keywords), &given)) {
        return nullptr;
    }
    if (!owned(c)) return nullptr;
    std::string path;
    if (given && given != Py_None && !path_from_python(given, path)) return nullptr;
    DeferredError error;
    {
        WriteCall call(c->apartment.get(), true);
        try {
            c->control->OpenFile(path);
        } catch (...) {
            error.capture();
        }
        PyObject* result = call.finish(error);
        if (!result) return nullptr;
        Py_DECREF(result);
    }
    return str_from(path);  // what the control opened, as the by-reference FilePath
}

PyObject* control_close_file(PyObject* self, PyObject*) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    DeferredError error;
    WriteCall call(c->apartment.get(), true);
    try {
        c->control->CloseFile();
    } catch (...) {
        error.capture();
    }
    return call.finish(error);
}

PyObject* control_date(PyObject* self, PyObject* date) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    long parts[3];
    const char* names[] = {"year", "month", "day"};
    for (int i = 0; i < 3; ++i) {
        PyObject* v = PyObject_GetAttrString(date, names[i]);
        if (!v) {
            PyErr_Clear();
            PyErr_Format(PyExc_TypeError, "Date_to_CCYYMMDD takes a datetime.date or datetime.datetime, not %.100s",
                         Py_TYPE(date)->tp_name);
            return nullptr;
        }
        parts[i] = PyLong_AsLong(v);
        Py_DECREF(v);
        if (parts[i] == -1 && PyErr_Occurred()) return nullptr;
    }
    std::string text;
    const std::chrono::year_month_day ymd{std::chrono::year(static_cast<int>(parts[0])),
                                          std::chrono::month(static_cast<unsigned>(parts[1])),
                                          std::chrono::day(static_cast<unsigned>(parts[2]))};
    if (!translate([&] { text = c->control->Date_to_CCYYMMDD(ymd); })) return nullptr;
    return str_from(text);
}

PyObject* control_about(PyObject* self, PyObject*) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    if (!translate([&] { c->control->ShowAboutBox(); })) return nullptr;
    Py_RETURN_NONE;
}

PyObject* control_string_to_hex(PyObject* self, PyObject* value) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    std::string text;
    if (!text_argument(value, text, "StringToHex")) return nullptr;
    std::string hex;
    if (!translate([&] { hex = c->control->StringToHex(text); })) return nullptr;
    return str_from(hex);
}

PyObject* control_read_properties(PyObject* self, PyObject* path_object) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    std::string path;
    if (!path_from_python(path_object, path)) return nullptr;
    if (!translate([&] {
            prjVireo::TextPropertyBag bag = prjVireo::TextPropertyBag::load(path);
            c->control->ReadProperties(bag);
        })) {
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject* control_write_properties(PyObject* self, PyObject* args) {
    ControlWrapper* c = as_control(self);
    PyObject* path_object = nullptr;
    if (!PyArg_ParseTuple(args, "|O:WriteProperties", &path_object)) return nullptr;
    if (!owned(c)) return nullptr;
    std::string path;
    if (path_object && path_object != Py_None && !path_from_python(path_object, path)) return nullptr;
    std::string saved;
    if (!translate([&] {
            prjVireo::TextPropertyBag bag;
            c->control->WriteProperties(bag);
            if (path.empty()) {
                saved = bag.serialize();
            } else {
                bag.save(path);
            }
        })) {
        return nullptr;
    }
    if (path.empty()) return str_from(saved);
    Py_RETURN_NONE;
}

PyObject* control_open(PyObject* self, PyObject* path_object) {
    ControlWrapper* c = as_control(self);
    if (!owned(c)) return nullptr;
    std::string path;
    if (!path_from_python(path_object, path)) return nullptr;
    return open_output(self, c->control, c->apartment, path);
}

PyMethodDef control_methods[] = {
    {"OpenFile", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(control_open_file)),
     METH_VARARGS | METH_KEYWORDS,
     "OpenFile(FilePath=None) -> str\n\nOpens FilePath for output (a new file is created readable by its owner "
     "only, an existing one is emptied), or the Filename property's file when FilePath is empty. Returns the "
     "path opened. The segment count is not reset. See open() for a file that appears only once complete."},
    {"CloseFile", control_close_file, METH_NOARGS,
     "CloseFile()\n\nFlushes the open file, syncs it to disk and closes it; reports every write error, "
     "whatever ErrorTrap says."},
    {"Date_to_CCYYMMDD", control_date, METH_O, "Date_to_CCYYMMDD(inDate) -> str\n\nThe date as \"yyyymmdd\"."},
    {"ShowAboutBox", control_about, METH_NOARGS,
     "ShowAboutBox()\n\nShows the About box where a window can be shown; this module has none, so it is an "
     "error (passed over unless ErrorTrap is set)."},
    {"StringToHex", control_string_to_hex, METH_O,
     "StringToHex(value) -> str\n\n\"&h\" and the hexadecimal ANSI code of every character: \"837\" gives "
     "\"&h383337\"."},
    {"ReadProperties", control_read_properties, METH_O,
     "ReadProperties(path)\n\nLoads the six persisted settings from a saved control (a Key=Value file); keys "
     "not saved take their defaults."},
    {"WriteProperties", control_write_properties, METH_VARARGS,
     "WriteProperties(path=None) -> str | None\n\nSaves the six persisted settings to a saved control file, or "
     "returns the saved form when no path is given."},
    {"open", control_open, METH_O,
     "open(path) -> OpenedFile\n\nOpens a file that appears at path only when it is complete: the segments go "
     "to a temporary file beside it (mode 0600), which replaces path when the OpenedFile is closed without "
     "error. In a with statement (with ctl.open(path): ...) the file is closed at the end of the block, its "
     "write errors raised; if the block raises, the temporary file is removed and path is left as it was."},
    {nullptr, nullptr, 0, nullptr},
};

// ---- life ----

PyObject* control_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
    static const char* keywords[] = {"saved", "error_trap", "strict_values", "read_properties", "auto_bookkeeping",
                                     nullptr};
    PyObject* saved = Py_None;
    int error_trap = 1;
    int strict_values = 0;
    int read_properties = 1;
    int auto_bookkeeping = 0;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O$pppp:Vireo", const_cast<char**>(keywords), &saved,
                                     &error_trap, &strict_values, &read_properties, &auto_bookkeeping)) {
        return nullptr;
    }
    std::string saved_path;
    if (saved != Py_None && !path_from_python(saved, saved_path)) return nullptr;
    if (saved != Py_None && !read_properties) {
        PyErr_SetString(PyExc_ValueError, "Vireo(saved=...) reads the saved properties: read_properties=False "
                                          "contradicts it");
        return nullptr;
    }
    const CatalogueDeclarations* catalogue = catalogue_of_type(type);
    if (!catalogue) {
        PyErr_Format(PyExc_SystemError, "%.100s is not a bound control type", type->tp_name);
        return nullptr;
    }
    PyObject* self = type->tp_alloc(type, 0);
    if (!self) return nullptr;
    ControlWrapper* c = as_control(self);
    new (&c->apartment) std::shared_ptr<Apartment>(current_apartment());
    new (&c->before_add) EventSlot();
    c->catalogue = catalogue;
    c->weakrefs = nullptr;
    const std::size_t n = catalogue->slots().size();
    c->members = PyList_New(static_cast<Py_ssize_t>(n));
    if (!c->members) {
        Py_DECREF(self);
        return nullptr;
    }
    for (std::size_t i = 0; i < n; ++i) PyList_SET_ITEM(c->members, static_cast<Py_ssize_t>(i), Py_NewRef(Py_None));
    if (!translate([&] {
            c->control = new basic_vireo(catalogue->catalogue());
            c->before_add.event = &c->control->BeforeAdd;
            if (read_properties) {
                // A control placed new reads an empty property bag: "*", ":", "~", no newline.
                prjVireo::TextPropertyBag bag =
                    saved_path.empty() ? prjVireo::TextPropertyBag() : prjVireo::TextPropertyBag::load(saved_path);
                c->control->ReadProperties(bag);
            }
            c->control->ErrorTrap(error_trap ? -1 : 0);
            c->control->StrictValues(strict_values != 0);
        }) ||
        !put_auto_bookkeeping(c, auto_bookkeeping != 0)) {
        Py_DECREF(self);
        return nullptr;
    }
    return self;
}

void control_dealloc(PyObject* self) {
    ControlWrapper* c = as_control(self);
    PyObject_GC_UnTrack(self);
    if (c->apartment) wait_until_idle(c->apartment.get());
    if (c->weakrefs) PyObject_ClearWeakRefs(self);
    clear_event(c->before_add);
    Py_CLEAR(c->members);
    delete c->control;  // releases the segment objects; the file and the writer state stay
    c->apartment.~shared_ptr();
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

int control_traverse(PyObject* self, visitproc visit, void* arg) {
    ControlWrapper* c = as_control(self);
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(c->members);
    return traverse_event(c->before_add, visit, arg);
}

int control_clear(PyObject* self) {
    ControlWrapper* c = as_control(self);
    if (c->apartment) wait_until_idle(c->apartment.get());
    clear_event(c->before_add);
    Py_CLEAR(c->members);
    return 0;
}

std::vector<std::string_view> control_names(PyObject* self) {
    std::vector<std::string_view> names;
    for (const auto* p : prjVireo::members::settings(as_control(self)->catalogue->catalogue())) {
        names.emplace_back(p->name);
    }
    for (const auto& m : prjVireo::typelib::control_methods()) names.emplace_back(m.name);
    for (const auto& s : as_control(self)->catalogue->slots()) names.push_back(s.property);
    for (const char* extra : {"BeforeAdd", "StrictValues", "AutoBookkeeping", "ReadProperties", "WriteProperties", "open"}) {
        names.emplace_back(extra);
    }
    return names;
}

void unknown_control_attribute(PyObject* self, PyObject* name) {
    const char* text = PyUnicode_AsUTF8(name);
    if (!text) return;
    const std::string suggestion = prjVireo::closest_name(text, control_names(self));
    PyObject* message = suggestion.empty()
                            ? PyUnicode_FromFormat("Vireo has no member \"%s\"", text)
                            : PyUnicode_FromFormat("Vireo has no member \"%s\" (did you mean \"%s\"?)", text,
                                                   suggestion.c_str());
    raise_attribute_error(message, name, self);
}

int control_setattro(PyObject* self, PyObject* name, PyObject* value) {
    const int result = PyObject_GenericSetAttr(self, name, value);
    if (result < 0 && PyErr_ExceptionMatches(PyExc_AttributeError) && PyUnicode_Check(name) &&
        !_PyType_Lookup(Py_TYPE(self), name)) {
        PyErr_Clear();
        unknown_control_attribute(self, name);
    }
    return result;
}

PyObject* control_getattro(PyObject* self, PyObject* name) {
    PyObject* result = PyObject_GenericGetAttr(self, name);
    if (!result && PyErr_ExceptionMatches(PyExc_AttributeError) && PyUnicode_Check(name) &&
        !_PyType_Lookup(Py_TYPE(self), name)) {
        PyErr_Clear();
        unknown_control_attribute(self, name);
    }
    return result;
}

PyMemberDef control_members[] = {
    {"__weaklistoffset__", T_PYSSIZET, offsetof(ControlWrapper, weakrefs), READONLY, nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

// The getset table: 8 properties, StrictValues, BeforeAdd and one entry per slot.
struct ControlTypeParts {
    std::string name;
    std::deque<std::string> docs;
    std::vector<PyGetSetDef> getset;
    std::vector<PyType_Slot> slots;
    PyType_Spec spec;
};

}  // namespace

prjVireo::basic_vireo* control_of(PyObject* object) {
    if (!catalogue_of_type(Py_TYPE(object))) {
        PyErr_Format(PyExc_TypeError, "expected a Vireo control, not %.100s", Py_TYPE(object)->tp_name);
        return nullptr;
    }
    ControlWrapper* c = as_control(object);
    if (!owned(c)) return nullptr;
    return c->control;
}

bool bind_control_type(PyObject* module, const CatalogueDeclarations& catalogue) {
    static std::deque<ControlTypeParts> all_parts;  // for the module's life
    ControlTypeParts& parts = all_parts.emplace_back();
    const char* module_name = PyModule_GetName(module);
    if (!module_name) return false;
    parts.name = std::string(module_name) + ".Vireo";
    const auto& slots = catalogue.slots();
    parts.getset.clear();
    for (std::size_t i = 0; i < prjVireo::members::kPropertyCount; ++i) {
        const prjVireo::members::Property& p = prjVireo::members::kProperties[i];
        if (!prjVireo::members::belongs(p, catalogue.catalogue())) continue;
        const auto [get, set] = functions_of(p.kind);
        parts.getset.push_back({p.name, get, set, p.doc, const_cast<PropertyAccess*>(&property_access[i])});
    }
    parts.getset.push_back({"StrictValues", get_strict_values, set_strict_values,
                            "True: Additem refuses a value holding the data element separator, the component "
                            "separator or the segment terminator (error 5, naming the segment, field and "
                            "character), whatever ErrorTrap says, and writes nothing. False: such a value is "
                            "written unchanged, as the control always did (O*BRIEN becomes two elements). Per "
                            "thread, not persisted.",
                            nullptr});
    parts.getset.push_back({"AutoBookkeeping", get_auto_bookkeeping, set_auto_bookkeeping,
                            "True: Additem fills the empty HL01, HL02, HL04, LX01, SE02, GE01, GE02, IEA01 and "
                            "IEA02 and sets SegCount to 0 before ST, keeping every value the host set, and empties "
                            "what it filled afterwards. An HL whose HL04 is empty is held with the segments after "
                            "it (their BeforeAdd comes later) until the next HL, an envelope segment, CloseFile or "
                            "switching off shows whether a child level follows. Per thread, not persisted.",
                            nullptr});
    parts.getset.push_back({"BeforeAdd", get_before_add, nullptr,
                            "The control's BeforeAdd: raised before every segment of every segment object it holds.",
                            nullptr});
    for (std::size_t i = 0; i < slots.size(); ++i) {
        parts.docs.push_back("The " + std::string(slots[i].segment_class->name) +
                             " object (assign another one of the class, or None, to replace it).");
        parts.getset.push_back({slots[i].property.data(), get_member, set_member, parts.docs.back().c_str(),
                                reinterpret_cast<void*>(static_cast<std::uintptr_t>(i))});
    }
    parts.getset.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});
    parts.slots = {
        {Py_tp_new, reinterpret_cast<void*>(control_new)},
        {Py_tp_dealloc, reinterpret_cast<void*>(control_dealloc)},
        {Py_tp_traverse, reinterpret_cast<void*>(control_traverse)},
        {Py_tp_clear, reinterpret_cast<void*>(control_clear)},
        {Py_tp_getset, parts.getset.data()},
        {Py_tp_methods, control_methods},
        {Py_tp_members, control_members},
        {Py_tp_setattro, reinterpret_cast<void*>(control_setattro)},
        {Py_tp_getattro, reinterpret_cast<void*>(control_getattro)},
        {Py_tp_doc, const_cast<char*>(
                        "Vireo(saved=None, *, error_trap=True, strict_values=False, read_properties=True, "
                        "auto_bookkeeping=False)\n\n"
                        "The claim-writer control. A new control reads its saved properties: those of the saved "
                        "control file `saved`, or the defaults (\"*\", \":\", \"~\", no newline, no annotation); "
                        "read_properties=False leaves them as the thread has them (for a second control on the "
                        "same thread).\n\n"
                        "error_trap and strict_values set ErrorTrap and StrictValues for the thread. ErrorTrap is "
                        "on here, so that every error reaches Python: passed over, a file that failed to open "
                        "would lose every segment without a word (error_trap=False is the control's own way). "
                        "StrictValues is off, as in C++, so that host code ported line by line writes the same "
                        "bytes; strict_values=True refuses a value holding a delimiter instead of writing it "
                        "unchanged. auto_bookkeeping=True sets AutoBookkeeping.\n\n"
                        "The writer state (file, delimiters, count) belongs to the thread: use a control only "
                        "on the thread that created it.")},
        {0, nullptr},
    };
    parts.spec = {parts.name.c_str(), sizeof(ControlWrapper), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
                  parts.slots.data()};
    auto* type = reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &parts.spec, nullptr));
    if (!type) return false;
    control_types().emplace_back(type, &catalogue);  // kept for the module's life
    return PyModule_AddObjectRef(module, "Vireo", reinterpret_cast<PyObject*>(type)) == 0;
}

}  // namespace vireo_python
