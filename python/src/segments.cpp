// The segment classes: one CPython type per class of the catalogue, made at
// import time from its descriptor. Every field is a getset descriptor whose
// closure is the field's binding, so that a host's loop of assignments is a
// type lookup and a copy per field; Additem writes without the GIL.
#include <deque>
#include <unordered_map>

#include "binding.h"
// After Python.h, which it needs.
#include <structmember.h>
#include "docs.h"
#include "vireo/control/dispatch.h"
#include "vireo/core/output_files.h"
#include "vireo/core/writer_state.h"

namespace vireo_python {

PyTypeObject* SegmentBaseType = nullptr;

namespace {

using prjVireo::FieldDescriptor;
using prjVireo::FieldKind;
using prjVireo::SegmentClassDescriptor;

struct FieldBinding {
    const SegmentClassDescriptor* segment_class;
    const FieldDescriptor* field;
    const CodeListBinding* list;  // code fields
};

// Stable addresses: getset closures point into it.
std::deque<FieldBinding>& field_bindings() {
    static std::deque<FieldBinding> table;
    return table;
}

std::unordered_map<const SegmentClassDescriptor*, PyTypeObject*>& types_by_class() {
    static std::unordered_map<const SegmentClassDescriptor*, PyTypeObject*> table;
    return table;
}

SegmentWrapper* as_segment(PyObject* self) { return reinterpret_cast<SegmentWrapper*>(self); }

bool owned(SegmentWrapper* s) {
    return on_owner_thread(s->apartment.get(), s->object->descriptor().name);
}

// ---- fields ----

PyObject* get_text(PyObject* self, void* closure) {
    SegmentWrapper* s = as_segment(self);
    if (!owned(s)) return nullptr;
    return str_from(s->object->text(*static_cast<FieldBinding*>(closure)->field));
}

int set_text(PyObject* self, PyObject* value, void* closure) {
    SegmentWrapper* s = as_segment(self);
    const FieldBinding& b = *static_cast<FieldBinding*>(closure);
    if (!owned(s)) return -1;
    if (value && PyUnicode_CheckExact(value)) [[likely]] {
        Py_ssize_t n;
        const char* p = PyUnicode_AsUTF8AndSize(value, &n);
        if (!p) return -1;
        s->object->text(*b.field).assign(p, static_cast<std::size_t>(n));
        return 0;
    }
    if (!value) {
        PyErr_Format(PyExc_TypeError, "%s.%s cannot be deleted: assign None or \"\" to empty it",
                     b.segment_class->name, b.field->name);
        return -1;
    }
    std::string_view text;
    std::string storage;
    if (!text_from_python(value, *b.segment_class, *b.field, text, storage)) return -1;
    s->object->text(*b.field).assign(text);
    return 0;
}

PyObject* get_code(PyObject* self, void* closure) {
    SegmentWrapper* s = as_segment(self);
    if (!owned(s)) return nullptr;
    const FieldBinding& b = *static_cast<FieldBinding*>(closure);
    const std::int32_t value = s->object->code(*b.field);
    if (value == 0) Py_RETURN_NONE;
    if (PyObject* member = b.list->member(value)) return Py_NewRef(member);
    return PyLong_FromLong(value);  // set outside the list through the C++ or late-bound interface
}

int set_code(PyObject* self, PyObject* value, void* closure) {
    SegmentWrapper* s = as_segment(self);
    const FieldBinding& b = *static_cast<FieldBinding*>(closure);
    if (!owned(s)) return -1;
    if (value && Py_TYPE(value) == reinterpret_cast<PyTypeObject*>(b.list->enum_type)) [[likely]] {
        s->object->set_code(*b.field, static_cast<std::int32_t>(PyLong_AsLong(value)));
        return 0;
    }
    if (!value) {
        PyErr_Format(PyExc_TypeError, "%s.%s cannot be deleted: assign None to empty it", b.segment_class->name,
                     b.field->name);
        return -1;
    }
    std::int32_t code;
    if (!code_from_python(value, *b.segment_class, *b.field, code)) return -1;
    s->object->set_code(*b.field, code);
    return 0;
}

PyObject* get_before_add(PyObject* self, void*) {
    SegmentWrapper* s = as_segment(self);
    return make_event(self, &s->before_add, s->apartment.get());
}

// ---- unknown attributes ----

std::vector<std::string_view> field_names(const SegmentClassDescriptor& c) {
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < c.field_count; ++i) names.emplace_back(c.fields[i].name);
    return names;
}

// AttributeError for a name the class does not have, with the closest field.
void unknown_attribute(PyObject* self, PyObject* name) {
    const SegmentClassDescriptor& c = as_segment(self)->object->descriptor();
    const char* text = PyUnicode_AsUTF8(name);
    if (!text) return;
    std::vector<std::string_view> candidates = field_names(c);
    for (const char* member : {"Additem", "Clear", "BeforeAdd", "set"}) candidates.emplace_back(member);
    const std::string suggestion = prjVireo::closest_name(text, candidates);
    PyObject* message = suggestion.empty()
                            ? PyUnicode_FromFormat("%s has no field \"%s\"", c.name, text)
                            : PyUnicode_FromFormat("%s has no field \"%s\" (did you mean \"%s\"?)", c.name, text,
                                                   suggestion.c_str());
    raise_attribute_error(message, name, self);
}

// Unknown names are explained when set. Reading keeps the generic lookup: the
// interpreter's shortcut for method calls needs it, and a tp_getattro of our
// own made every Additem and Clear call about 370 instructions longer. The
// AttributeError of a read carries the name and the object, from which
// Python's error display offers the closest field.
int segment_setattro(PyObject* self, PyObject* name, PyObject* value) {
    const int result = PyObject_GenericSetAttr(self, name, value);
    // The generic error says only that there is no such attribute.
    if (result < 0 && PyErr_ExceptionMatches(PyExc_AttributeError) && PyUnicode_Check(name) &&
        !_PyType_Lookup(Py_TYPE(self), name)) {
        PyErr_Clear();
        unknown_attribute(self, name);
    }
    return result;
}

// ---- methods ----

// Free room in the file's 1 MiB buffer below which a segment may hand the
// buffer to the kernel (see segment_additem).
constexpr std::size_t kHandoverRoom = 64u << 10;

// Whether the next segment may hand the output buffer to the kernel: a write
// (and every 4 MiB a writeback request) that can wait on the disk.
bool may_block() {
    const prjVireo::files::OutputFile* f = prjVireo::files::find(prjVireo::writer_state().file_number);
    return f && f->room() < kHandoverRoom;
}

// Additem lets go of the GIL when the segment may hand the buffer to the
// kernel, so that other threads run while this one waits. Any other segment
// is a copy of a few hundred bytes into the buffer, shorter than letting go of
// the GIL and taking it back (measured: holding it there writes 10 to 15 %
// more segments per second, with one thread and with two).
PyObject* segment_additem(PyObject* self, PyObject*) {
    SegmentWrapper* s = as_segment(self);
    if (!owned(s)) return nullptr;
    DeferredError error;
    WriteCall call(s->apartment.get(), may_block());
    try {
        s->object->Additem();
    } catch (...) {
        error.capture();
    }
    return call.finish(error);
}

PyObject* segment_clear(PyObject* self, PyObject*) {
    SegmentWrapper* s = as_segment(self);
    if (!owned(s)) return nullptr;
    s->object->Clear();
    Py_RETURN_NONE;
}

// set(**fields): checks every value first, then clears and assigns, so that a
// wrong name or value changes nothing.
PyObject* segment_set(PyObject* self, PyObject* args, PyObject* kwargs) {
    SegmentWrapper* s = as_segment(self);
    if (!owned(s)) return nullptr;
    const SegmentClassDescriptor& c = s->object->descriptor();
    if (PyTuple_GET_SIZE(args) != 0) {
        PyErr_Format(PyExc_TypeError, "%s.set() takes field values by name only", c.name);
        return nullptr;
    }
    struct Staged {
        const FieldDescriptor* field;
        std::int32_t code;
        std::string_view text;  // owned by the str in kwargs, or by storage (a number written as text)
        std::string storage;
    };
    std::deque<Staged> staged;  // grows without moving an item, whose text may view its storage
    if (kwargs) {
        PyObject* key;
        PyObject* value;
        Py_ssize_t pos = 0;
        while (PyDict_Next(kwargs, &pos, &key, &value)) {
            const char* name = PyUnicode_AsUTF8(key);
            if (!name) return nullptr;
            const FieldDescriptor* f = c.find_field(name);
            if (!f) {
                const std::string suggestion = prjVireo::closest_name(name, field_names(c));
                if (suggestion.empty()) {
                    PyErr_Format(PyExc_TypeError, "%s.set() got \"%s\", which is not a field of %s", c.name, name,
                                 c.name);
                } else {
                    PyErr_Format(PyExc_TypeError,
                                 "%s.set() got \"%s\", which is not a field of %s (did you mean \"%s\"?)", c.name,
                                 name, c.name, suggestion.c_str());
                }
                return nullptr;
            }
            Staged& item = staged.emplace_back(Staged{f, 0, {}, {}});
            if (f->kind == FieldKind::Code) {
                if (!code_from_python(value, c, *f, item.code)) return nullptr;
            } else if (!text_from_python(value, c, *f, item.text, item.storage)) {
                return nullptr;
            }
        }
    }
    s->object->Clear();
    for (const Staged& item : staged) {
        if (item.field->kind == FieldKind::Code) {
            s->object->set_code(*item.field, item.code);
        } else {
            s->object->text(*item.field).assign(item.text);
        }
    }
    return Py_NewRef(self);
}

PyObject* segment_repr(PyObject* self) {
    SegmentWrapper* s = as_segment(self);
    const char* name = s->object->descriptor().name;
    if (s->apartment.get() != current_apartment_if_any()) {
        return PyUnicode_FromFormat("<%s of another thread>", name);
    }
    std::string text;
    if (!translate([&] { text = s->object->Preview(); })) return nullptr;
    PyObject* value = str_from(text);
    if (!value) return nullptr;
    PyObject* repr = PyUnicode_FromFormat("<%s %R>", name, value);
    Py_DECREF(value);
    return repr;
}

PyMethodDef segment_methods[] = {
    {"Additem", segment_additem, METH_NOARGS,
     "Additem()\n\nFormats the segment from the fields, raises BeforeAdd and, unless a handler cancels it, "
     "writes it to the open file. The fields keep their values."},
    {"Clear", segment_clear, METH_NOARGS, "Clear()\n\nEmpties every field: text to \"\", code to None."},
    {"set", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(segment_set)), METH_VARARGS | METH_KEYWORDS,
     "set(**fields) -> self\n\nClears the object and assigns the fields given by name, so that "
     "seg.set(m01_...=..., m02_...=...).Additem() writes one segment. Every name and value is checked "
     "before anything changes."},
    {nullptr, nullptr, 0, nullptr},
};

PyMemberDef segment_members[] = {
    {"__weaklistoffset__", T_PYSSIZET, offsetof(SegmentWrapper, weakrefs), READONLY, nullptr},
    {nullptr, 0, 0, 0, nullptr},
};

PyGetSetDef segment_getset[] = {
    {"BeforeAdd", get_before_add, nullptr,
     "This object's own BeforeAdd, raised before its segment is written (before the control's).", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

void segment_dealloc(PyObject* self) {
    SegmentWrapper* s = as_segment(self);
    PyObject_GC_UnTrack(self);
    if (s->apartment) wait_until_idle(s->apartment.get());
    if (s->weakrefs) PyObject_ClearWeakRefs(self);
    clear_event(s->before_add);
    s->holder.~shared_ptr();
    s->apartment.~shared_ptr();
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

int segment_traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(Py_TYPE(self));
    return traverse_event(as_segment(self)->before_add, visit, arg);
}

int segment_clear_references(PyObject* self) {
    SegmentWrapper* s = as_segment(self);
    if (s->apartment) wait_until_idle(s->apartment.get());
    clear_event(s->before_add);
    return 0;
}

PyType_Slot base_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(segment_dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(segment_traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(segment_clear_references)},
    {Py_tp_methods, segment_methods},
    {Py_tp_getset, segment_getset},
    {Py_tp_members, segment_members},
    {Py_tp_repr, reinterpret_cast<void*>(segment_repr)},
    {Py_tp_setattro, reinterpret_cast<void*>(segment_setattro)},
    {Py_tp_doc, const_cast<char*>("A segment object: one segment of the 837 at one place, with a field per element "
                                  "or component. Objects come from the control's properties.")},
    {0, nullptr},
};

PyType_Spec base_spec = {"vireo.Segment", sizeof(SegmentWrapper), 0,
                         Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE | Py_TPFLAGS_HAVE_GC |
                             Py_TPFLAGS_DISALLOW_INSTANTIATION,
                         base_slots};

// Keeps the specs, names and getset tables of the class types for the module's life.
struct ClassTypeParts {
    std::string qualified_name;
    std::string doc;
    std::vector<std::string> field_docs;
    std::vector<PyGetSetDef> getset;
    std::vector<PyType_Slot> slots;
    PyType_Spec spec;
};

std::deque<ClassTypeParts>& class_type_parts() {
    static std::deque<ClassTypeParts> parts;
    return parts;
}

PyTypeObject* make_class_type(PyObject* module, const prjVireo::catalogue::Slot& slot) {
    const SegmentClassDescriptor& c = *slot.segment_class;
    ClassTypeParts& parts = class_type_parts().emplace_back();
    const char* module_name = PyModule_GetName(module);
    if (!module_name) return nullptr;
    parts.qualified_name = std::string(module_name) + "." + c.name;
    parts.doc = class_doc(slot);
    parts.field_docs.reserve(c.field_count);
    for (std::size_t i = 0; i < c.field_count; ++i) {
        const FieldDescriptor& f = c.fields[i];
        FieldBinding& b = field_bindings().emplace_back(FieldBinding{&c, &f, nullptr});
        parts.field_docs.push_back(field_doc(c, f));
        if (f.kind == FieldKind::Code) {
            b.list = codelist_binding(f.codelist);
            parts.getset.push_back({f.name, get_code, set_code, parts.field_docs.back().c_str(), &b});
        } else {
            parts.getset.push_back({f.name, get_text, set_text, parts.field_docs.back().c_str(), &b});
        }
    }
    parts.getset.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});
    parts.slots = {
        {Py_tp_getset, parts.getset.data()},
        {Py_tp_traverse, reinterpret_cast<void*>(segment_traverse)},
        {Py_tp_clear, reinterpret_cast<void*>(segment_clear_references)},
        {Py_tp_doc, const_cast<char*>(parts.doc.c_str())},
        {0, nullptr},
    };
    parts.spec = {parts.qualified_name.c_str(), 0, 0,
                  Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_DISALLOW_INSTANTIATION, parts.slots.data()};
    PyObject* type = PyType_FromModuleAndSpec(module, &parts.spec, reinterpret_cast<PyObject*>(SegmentBaseType));
    if (!type) return nullptr;
    // What the class is, for introspection.
    PyObject* names = PyTuple_New(static_cast<Py_ssize_t>(c.field_count));
    if (!names) return nullptr;
    for (std::size_t i = 0; i < c.field_count; ++i) {
        PyTuple_SET_ITEM(names, static_cast<Py_ssize_t>(i), PyUnicode_FromString(c.fields[i].name));
    }
    PyObject* attributes = Py_BuildValue("{sssssssNss#}", "segment_id", c.segment_id, "loop", c.loop, "label",
                                         c.label, "fields", names, "control_property", slot.property.data(),
                                         static_cast<Py_ssize_t>(slot.property.size()));
    if (!attributes) return nullptr;
    PyObject* key;
    PyObject* value;
    Py_ssize_t pos = 0;
    while (PyDict_Next(attributes, &pos, &key, &value)) {
        if (PyObject_SetAttr(type, key, value) < 0) {
            Py_DECREF(attributes);
            return nullptr;
        }
    }
    Py_DECREF(attributes);
    return reinterpret_cast<PyTypeObject*>(type);
}

}  // namespace

bool bind_segment_base(PyObject* module) {
    SegmentBaseType = reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &base_spec, nullptr));
    return SegmentBaseType &&
           PyModule_AddObjectRef(module, "Segment", reinterpret_cast<PyObject*>(SegmentBaseType)) == 0;
}

bool bind_segment_types(PyObject* module, const CatalogueDeclarations& catalogue) {
    for (const prjVireo::catalogue::Slot& slot : catalogue.slots()) {
        PyTypeObject* type = make_class_type(module, slot);
        if (!type) return false;
        types_by_class()[slot.segment_class] = type;  // kept for the module's life
        if (PyModule_AddObjectRef(module, slot.segment_class->name, reinterpret_cast<PyObject*>(type)) < 0) {
            return false;
        }
    }
    return true;
}

PyTypeObject* segment_type(const SegmentClassDescriptor& segment_class) {
    return types_by_class().at(&segment_class);
}

PyObject* wrap_segment(std::shared_ptr<prjVireo::SegmentObject> object, std::shared_ptr<Apartment> apartment) {
    const auto it = types_by_class().find(&object->descriptor());
    if (it == types_by_class().end()) {
        PyErr_Format(PyExc_SystemError, "no Python type for segment class %s", object->descriptor().name);
        return nullptr;
    }
    PyTypeObject* type = it->second;
    PyObject* self = type->tp_alloc(type, 0);
    if (!self) return nullptr;
    SegmentWrapper* s = as_segment(self);
    s->object = object.get();
    new (&s->holder) std::shared_ptr<prjVireo::SegmentObject>(std::move(object));
    new (&s->apartment) std::shared_ptr<Apartment>(std::move(apartment));
    new (&s->before_add) EventSlot();
    s->before_add.event = &s->object->BeforeAdd;
    s->weakrefs = nullptr;
    return self;
}

}  // namespace vireo_python
