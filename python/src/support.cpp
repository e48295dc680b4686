// Apartments, errors and small conversions shared by the module's types.
#include <sched.h>

#include <exception>
#include <limits>

#include "binding.h"
#include "vireo/core/errors.h"

namespace vireo_python {

// ---- apartments ----

namespace {

constinit thread_local Apartment* t_apartment = nullptr;

// Owns the thread's apartment; objects of the thread share it and keep it
// after the thread has ended, so that they can say so.
struct ApartmentOwner {
    std::shared_ptr<Apartment> apartment = std::make_shared<Apartment>();
    ~ApartmentOwner() {
        apartment->ended = true;
        t_apartment = nullptr;
    }
};

}  // namespace

const std::shared_ptr<Apartment>& current_apartment() {
    thread_local ApartmentOwner owner;
    t_apartment = owner.apartment.get();
    return owner.apartment;
}

Apartment* current_apartment_if_any() { return t_apartment; }

bool check_thread(const Apartment* owner, const char* what) {
    if (owner == current_apartment_if_any()) return true;
    // The error a C++ host gets for the same call (core/writer_state.h).
    std::string detail = std::string(what) + " was called on a thread that did not create it";
    if (owner->ended) detail += " (that thread has ended)";
    detail += "; a control and its segment objects belong to the thread that created them, whose writer state "
              "they use: create a Vireo control in each thread that writes";
    raise_vb_error(prjVireo::vbErrWrongThread, std::string(prjVireo::vb_error_text(prjVireo::vbErrWrongThread)) +
                                                   ": " + detail);
    return false;
}

void wait_until_idle(const Apartment* owner) {
    if (owner == current_apartment_if_any()) return;
    // The owner changes `writing` only while it holds the GIL, so once it is
    // seen at 0 with the GIL held, the owner writes nothing until we let go.
    while (owner->writing > 0) {
        Py_BEGIN_ALLOW_THREADS
        sched_yield();
        Py_END_ALLOW_THREADS
    }
}

// ---- errors ----

PyObject* VbErrorType = nullptr;
PyObject* CodeErrorType = nullptr;

void load_error_types() {
    PyObject* base = PyImport_ImportModule("vireo._base");
    if (!base) return;
    VbErrorType = PyObject_GetAttrString(base, "VbError");
    CodeErrorType = VbErrorType ? PyObject_GetAttrString(base, "CodeError") : nullptr;
    Py_DECREF(base);
}

PyObject* raise_vb_error(int number, const std::string& message) {
    PyObject* error = PyObject_CallFunction(VbErrorType, "is#s", number, message.data(),
                                            static_cast<Py_ssize_t>(message.size()),
                                            prjVireo::vb_error_text(number));
    if (error) {
        PyErr_SetObject(VbErrorType, error);
        Py_DECREF(error);
    }
    return nullptr;
}

PyObject* raise_current_exception() {
    try {
        throw;
    } catch (const prjVireo::VbError& e) {
        return raise_vb_error(e.number(), e.what());
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
        return nullptr;
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "unknown C++ exception");
        return nullptr;
    }
}

void DeferredError::capture() {
    set = true;
    try {
        throw;
    } catch (const prjVireo::VbError& e) {
        vb = true;
        number = e.number();
        message = e.what();
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "unknown C++ exception";
    }
}

PyObject* DeferredError::raise() const {
    if (vb) return raise_vb_error(number, message);
    PyErr_SetString(PyExc_RuntimeError, message.c_str());
    return nullptr;
}

// ---- conversions ----

bool path_from_python(PyObject* value, std::string& path) {
    PyObject* fspath = PyOS_FSPath(value);
    if (!fspath) return false;
    if (!PyUnicode_Check(fspath)) {
        Py_DECREF(fspath);
        PyErr_SetString(PyExc_TypeError, "a path must be a str or an os.PathLike of str, not bytes");
        return false;
    }
    Py_ssize_t n;
    const char* p = PyUnicode_AsUTF8AndSize(fspath, &n);
    if (p) path.assign(p, static_cast<std::size_t>(n));
    Py_DECREF(fspath);
    return p != nullptr;
}

bool boolean_from_python(PyObject* value, std::int16_t& out, const char* what) {
    if (PyBool_Check(value)) {
        out = value == Py_True ? -1 : 0;
        return true;
    }
    if (!PyLong_Check(value)) {
        PyErr_Format(PyExc_TypeError, "%s takes a bool or an int (-1 is true), not %.100s", what,
                     Py_TYPE(value)->tp_name);
        return false;
    }
    const long v = PyLong_AsLong(value);
    if (v == -1 && PyErr_Occurred()) return false;
    if (v < std::numeric_limits<std::int16_t>::min() || v > std::numeric_limits<std::int16_t>::max()) {
        PyErr_Format(PyExc_OverflowError, "%s is a 16-bit Boolean: %ld is out of range", what, v);
        return false;
    }
    out = static_cast<std::int16_t>(v);
    return true;
}

void raise_attribute_error(PyObject* message, PyObject* name, PyObject* obj) {
    if (!message) return;
    // Built with name= and obj= so that Python's error display can offer the
    // closest name too.
    PyObject* args = PyTuple_Pack(1, message);
    PyObject* kwargs = args ? Py_BuildValue("{sOsO}", "name", name, "obj", obj) : nullptr;
    PyObject* error = kwargs ? PyObject_Call(PyExc_AttributeError, args, kwargs) : nullptr;
    if (error) PyErr_SetObject(PyExc_AttributeError, error);
    Py_XDECREF(error);
    Py_XDECREF(kwargs);
    Py_XDECREF(args);
    Py_DECREF(message);
}

std::string qualified_name(PyTypeObject* type) {
    std::string name = type->tp_name;  // the part after the module, for a type made from a spec
    PyObject* module = PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__module__");
    const char* text = module && PyUnicode_Check(module) ? PyUnicode_AsUTF8(module) : nullptr;
    if (text && name.find('.') == std::string::npos && std::string_view(text) != "builtins") {
        name = std::string(text) + "." + name;
    }
    Py_XDECREF(module);
    PyErr_Clear();
    return name;
}

}  // namespace vireo_python
