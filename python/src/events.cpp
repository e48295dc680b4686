// BeforeAdd in Python: handlers are callables taking one argument object with
// SegValue, SegCount and bCancel; the Event object connects and disconnects
// them. One C++ handler per object calls the Python ones, taking back the GIL
// that the write let go of.
#include <algorithm>
#include <limits>

#include "binding.h"
// After Python.h, which it needs.
#include <structmember.h>

namespace vireo_python {

// ---- calls into the writer ----

namespace {
constinit thread_local WriteCall* t_call = nullptr;
}

WriteCall::WriteCall(Apartment* apartment, bool unlock) : apartment_(apartment), outer_(t_call) {
    ++apartment_->writing;
    t_call = this;
    if (unlock) saved_ = PyEval_SaveThread();
}

WriteCall::~WriteCall() {
    relock();
    t_call = outer_;
    --apartment_->writing;
    Py_XDECREF(exc_type_);
    Py_XDECREF(exc_value_);
    Py_XDECREF(exc_traceback_);
    if (!kept_.empty()) {
        // Releasing may tear an object down and run Python code: the
        // exception the call raises waits meanwhile.
        const std::vector<PyObject*> kept = std::move(kept_);
        PyObject *type, *value, *traceback;
        PyErr_Fetch(&type, &value, &traceback);
        for (PyObject* object : kept) Py_DECREF(object);
        PyErr_Restore(type, value, traceback);
    }
}

void WriteCall::keep_until_done(PyObject* object) {
    if (std::find(kept_.begin(), kept_.end(), object) != kept_.end()) {
        Py_DECREF(object);  // kept already: one reference is enough
        return;
    }
    try {
        kept_.push_back(object);
    } catch (const std::bad_alloc&) {
        // Without room to keep it, the reference stays for good: a leak, not a
        // use after free.
    }
}

void WriteCall::relock() {
    if (saved_) {
        PyEval_RestoreThread(saved_);
        saved_ = nullptr;
    }
}

PyObject* WriteCall::finish(const DeferredError& error) {
    relock();
    if (exc_type_) {
        PyErr_Restore(exc_type_, exc_value_, exc_traceback_);
        exc_type_ = exc_value_ = exc_traceback_ = nullptr;
        return nullptr;
    }
    if (error.set) return error.raise();
    Py_RETURN_NONE;
}

WriteCall* WriteCall::current() { return t_call; }

// Holds the GIL while Python handlers run: takes it back from the call that
// let go of it, or takes it when some other C++ code raised the event.
struct HandlerLock {
    enum class How { Held, Relocked, Ensured };
    WriteCall* call = WriteCall::current();
    How how = How::Held;
    PyGILState_STATE state{};

    HandlerLock() {
        if (call && call->saved_) {
            PyEval_RestoreThread(call->saved_);
            call->saved_ = nullptr;
            how = How::Relocked;
        } else if (!PyGILState_Check()) {
            state = PyGILState_Ensure();
            how = How::Ensured;
        }
    }
    ~HandlerLock() {
        if (how == How::Relocked) {
            call->saved_ = PyEval_SaveThread();
        } else if (how == How::Ensured) {
            PyGILState_Release(state);
        }
    }
    bool failed() const { return call && call->exc_type_; }
    // Keeps the exception a handler raised for the write to raise; without a
    // write to raise it, reports it as unraisable.
    void keep_exception(PyObject* handler) {
        if (call && !call->exc_type_ && how != How::Ensured) {
            PyErr_Fetch(&call->exc_type_, &call->exc_value_, &call->exc_traceback_);
            if (!call->exc_type_) call->exc_type_ = Py_NewRef(PyExc_SystemError);
        } else {
            PyErr_WriteUnraisable(handler);
        }
    }
};

// ---- the argument object ----

namespace {

struct BeforeAddArgs {
    PyObject_HEAD
    PyObject* seg_value;  // str
    std::int32_t seg_count;
    std::int16_t cancel;
};

PyTypeObject* ArgsType = nullptr;
PyTypeObject* EventType = nullptr;


void args_dealloc(PyObject* self) {
    Py_XDECREF(reinterpret_cast<BeforeAddArgs*>(self)->seg_value);
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

PyObject* args_get_value(PyObject* self, void*) { return Py_NewRef(reinterpret_cast<BeforeAddArgs*>(self)->seg_value); }
int args_set_value(PyObject* self, PyObject* value, void*) {
    if (!value || !PyUnicode_Check(value)) {
        PyErr_SetString(PyExc_TypeError, "SegValue takes a str");
        return -1;
    }
    Py_SETREF(reinterpret_cast<BeforeAddArgs*>(self)->seg_value, Py_NewRef(value));
    return 0;
}
PyObject* args_get_count(PyObject* self, void*) { return PyLong_FromLong(reinterpret_cast<BeforeAddArgs*>(self)->seg_count); }
int args_set_count(PyObject* self, PyObject* value, void*) {
    if (!value || !PyLong_Check(value) || PyBool_Check(value)) {
        PyErr_SetString(PyExc_TypeError, "SegCount takes an int");
        return -1;
    }
    int overflow = 0;
    const long long v = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (v == -1 && PyErr_Occurred()) return -1;
    if (overflow || v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max()) {
        PyErr_SetString(PyExc_OverflowError, "SegCount is a 32-bit signed number");
        return -1;
    }
    reinterpret_cast<BeforeAddArgs*>(self)->seg_count = static_cast<std::int32_t>(v);
    return 0;
}
PyObject* args_get_cancel(PyObject* self, void*) { return PyLong_FromLong(reinterpret_cast<BeforeAddArgs*>(self)->cancel); }
int args_set_cancel(PyObject* self, PyObject* value, void*) {
    if (!value) {
        PyErr_SetString(PyExc_TypeError, "bCancel cannot be deleted");
        return -1;
    }
    return boolean_from_python(value, reinterpret_cast<BeforeAddArgs*>(self)->cancel, "bCancel") ? 0 : -1;
}

PyObject* args_repr(PyObject* self) {
    auto* a = reinterpret_cast<BeforeAddArgs*>(self);
    return PyUnicode_FromFormat("BeforeAddArgs(SegValue=%R, SegCount=%d, bCancel=%d)", a->seg_value,
                                static_cast<int>(a->seg_count), static_cast<int>(a->cancel));
}

PyGetSetDef args_getset[] = {
    {"SegValue", args_get_value, args_set_value,
     "The segment as it will be written: ID, separator, elements and terminator (a copy: changing it "
     "changes what later handlers see, not what is written).",
     nullptr},
    {"SegCount", args_get_count, args_set_count,
     "The segment count plus one: the number this segment will have (a copy, like SegValue).", nullptr},
    {"bCancel", args_get_cancel, args_set_cancel,
     "Set it to -1 (or True) to stop the segment; 0 to let it through. Only -1 cancels: 1 does not.",
     nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot args_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(args_dealloc)},
    {Py_tp_getset, args_getset},
    {Py_tp_repr, reinterpret_cast<void*>(args_repr)},
    {Py_tp_doc, const_cast<char*>("The arguments of one BeforeAdd: SegValue, SegCount and bCancel, as the "
                                  "control passes them by reference. Handlers of one segment share them.")},
    {0, nullptr},
};

PyType_Spec args_spec = {"vireo.BeforeAddArgs", sizeof(BeforeAddArgs), 0,
                         Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, args_slots};

// ---- the C++ handler that calls the Python ones ----

bool still_connected(PyObject* handlers, PyObject* handler) {
    const Py_ssize_t n = PyList_GET_SIZE(handlers);
    for (Py_ssize_t i = 0; i < n; ++i) {
        if (PyList_GET_ITEM(handlers, i) == handler) return true;
    }
    return false;
}

void dispatch(PyObject* owner, EventSlot* slot, std::string& seg_value, std::int32_t& seg_count,
              std::int16_t& cancel) {
    HandlerLock lock;
    if (lock.failed()) {
        cancel = -1;  // a handler of this segment raised: the others do not run
        return;
    }
    Py_INCREF(owner);  // a handler may drop the last reference to it
    PyObject* snapshot = slot->handlers ? PyList_GetSlice(slot->handlers, 0, PY_SSIZE_T_MAX) : PyList_New(0);
    auto* args = snapshot ? PyObject_New(BeforeAddArgs, ArgsType) : nullptr;
    if (args) {
        args->seg_value = str_from(seg_value);
        args->seg_count = seg_count;
        args->cancel = cancel;
    }
    PyObject* const original_value = args ? args->seg_value : nullptr;
    bool failed = !args || !original_value;
    PyObject* failed_handler = owner;
    for (Py_ssize_t i = 0; !failed && i < PyList_GET_SIZE(snapshot); ++i) {
        PyObject* handler = PyList_GET_ITEM(snapshot, i);
        // Disconnected by an earlier handler: not called any more.
        if (!slot->handlers || !still_connected(slot->handlers, handler)) continue;
        PyObject* result = PyObject_CallOneArg(handler, reinterpret_cast<PyObject*>(args));
        if (result && result != Py_None) {
            // A handler's return value other than None is assigned to bCancel.
            std::int16_t c;
            if (boolean_from_python(result, c, "a BeforeAdd handler's return value")) {
                args->cancel = c;
            } else {
                Py_CLEAR(result);
            }
        }
        if (!result) {
            failed = true;
            failed_handler = handler;
            break;
        }
        Py_DECREF(result);
    }
    if (!failed && args->seg_value != original_value) {
        // The next handlers (of the control, after the object's own) see the change.
        Py_ssize_t n;
        const char* p = PyUnicode_AsUTF8AndSize(args->seg_value, &n);
        if (p) {
            seg_value.assign(p, static_cast<std::size_t>(n));
        } else {
            failed = true;
        }
    }
    if (failed) {
        if (PyErr_Occurred()) lock.keep_exception(failed_handler);
        cancel = -1;  // nothing is written for a segment whose handler failed
    } else {
        seg_count = args->seg_count;
        cancel = args->cancel;
    }
    Py_XDECREF(reinterpret_cast<PyObject*>(args));
    Py_XDECREF(snapshot);
    // The event being raised belongs to the owner, and the writer goes on using
    // it after this handler: the owner stays until the Python call that wrote
    // the segment is over, whatever the handlers dropped. Raised by other C++
    // code, outside such a call, it stays as long as this handler ran.
    if (lock.call && lock.how != HandlerLock::How::Ensured) {
        lock.call->keep_until_done(owner);
    } else {
        Py_DECREF(owner);
    }
}

// ---- the Event object ----

struct Event {
    PyObject_HEAD
    PyObject* owner;
    EventSlot* slot;
    const Apartment* apartment;
};

void event_dealloc(PyObject* self) {
    PyObject_GC_UnTrack(self);
    Py_CLEAR(reinterpret_cast<Event*>(self)->owner);
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

int event_traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(reinterpret_cast<Event*>(self)->owner);
    Py_VISIT(Py_TYPE(self));
    return 0;
}

int event_clear(PyObject* self) {
    Py_CLEAR(reinterpret_cast<Event*>(self)->owner);
    return 0;
}

bool event_usable(Event* e) {
    if (!e->owner) {
        PyErr_SetString(PyExc_RuntimeError, "this BeforeAdd belongs to an object that no longer exists");
        return false;
    }
    return on_owner_thread(e->apartment, "this BeforeAdd");
}

PyObject* event_connect(PyObject* self, PyObject* handler) {
    auto* e = reinterpret_cast<Event*>(self);
    if (!event_usable(e)) return nullptr;
    if (!PyCallable_Check(handler)) {
        PyErr_Format(PyExc_TypeError, "a BeforeAdd handler must be callable, not %.100s", Py_TYPE(handler)->tp_name);
        return nullptr;
    }
    EventSlot* slot = e->slot;
    if (!slot->handlers && !(slot->handlers = PyList_New(0))) return nullptr;
    if (PyList_Append(slot->handlers, handler) < 0) return nullptr;
    if (!slot->connected) {
        PyObject* owner = e->owner;  // disconnects in its deallocation and tp_clear
        slot->connection = slot->event->connect(
            [owner, slot](std::string& v, std::int32_t& c, std::int16_t& b) { dispatch(owner, slot, v, c, b); });
        slot->connected = true;
    }
    return Py_NewRef(handler);  // so that connect works as a decorator
}

PyObject* event_disconnect(PyObject* self, PyObject* handler) {
    auto* e = reinterpret_cast<Event*>(self);
    if (!event_usable(e)) return nullptr;
    EventSlot* slot = e->slot;
    const Py_ssize_t n = slot->handlers ? PyList_GET_SIZE(slot->handlers) : 0;
    for (Py_ssize_t i = n - 1; i >= 0; --i) {
        PyObject* item = PyList_GET_ITEM(slot->handlers, i);
        int same = item == handler ? 1 : PyObject_RichCompareBool(item, handler, Py_EQ);
        if (same < 0) return nullptr;
        if (!same) continue;
        if (PySequence_DelItem(slot->handlers, i) < 0) return nullptr;
        if (PyList_GET_SIZE(slot->handlers) == 0 && slot->connected) {
            slot->event->disconnect(slot->connection);
            slot->connected = false;
        }
        Py_RETURN_NONE;
    }
    PyErr_SetString(PyExc_ValueError, "that handler is not connected to this BeforeAdd");
    return nullptr;
}

Py_ssize_t event_len(PyObject* self) {
    EventSlot* slot = reinterpret_cast<Event*>(self)->slot;
    return reinterpret_cast<Event*>(self)->owner && slot->handlers ? PyList_GET_SIZE(slot->handlers) : 0;
}

PyObject* event_handlers(PyObject* self, void*) {
    auto* e = reinterpret_cast<Event*>(self);
    if (!e->owner || !e->slot->handlers) return PyTuple_New(0);
    return PyList_AsTuple(e->slot->handlers);
}

PyObject* event_repr(PyObject* self) {
    auto* e = reinterpret_cast<Event*>(self);
    if (!e->owner) return PyUnicode_FromString("<BeforeAdd of a released object>");
    return PyUnicode_FromFormat("<BeforeAdd of %s, %zd handlers>", Py_TYPE(e->owner)->tp_name, event_len(self));
}

PyMethodDef event_methods[] = {
    {"connect", event_connect, METH_O,
     "connect(handler) -> handler\n\nCalls handler(args) before every segment, after the handlers connected "
     "earlier. args has SegValue, SegCount and bCancel; setting args.bCancel = -1 (or True), or returning "
     "-1 or True, stops the segment. Any other return value than None is assigned to bCancel. An exception "
     "in a handler stops the segment (nothing is written) and is raised by the Additem that announced it. "
     "Returns the handler, so that it works as a decorator."},
    {"disconnect", event_disconnect, METH_O,
     "disconnect(handler)\n\nRemoves the handler (the last connection of it); ValueError if it is not connected."},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef event_getset[] = {
    {"handlers", event_handlers, nullptr, "The connected handlers, in calling order.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot event_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(event_dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(event_traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(event_clear)},
    {Py_tp_methods, event_methods},
    {Py_tp_getset, event_getset},
    {Py_tp_repr, reinterpret_cast<void*>(event_repr)},
    {Py_sq_length, reinterpret_cast<void*>(event_len)},
    {Py_tp_doc, const_cast<char*>("The BeforeAdd event of a control or a segment object: raised before every "
                                  "segment is written. A control re-raises the event of every segment object it "
                                  "holds, after the object's own handlers.")},
    {0, nullptr},
};

PyType_Spec event_spec = {"vireo.Event", sizeof(Event), 0,
                          Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_DISALLOW_INSTANTIATION, event_slots};

}  // namespace

bool bind_event_types(PyObject* module) {
    ArgsType = reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &args_spec, nullptr));
    EventType = reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &event_spec, nullptr));
    if (!ArgsType || !EventType) return false;
    return PyModule_AddObjectRef(module, "BeforeAddArgs", reinterpret_cast<PyObject*>(ArgsType)) == 0 &&
           PyModule_AddObjectRef(module, "Event", reinterpret_cast<PyObject*>(EventType)) == 0;
}

PyObject* make_event(PyObject* owner, EventSlot* slot, const Apartment* apartment) {
    Event* e = PyObject_GC_New(Event, EventType);
    if (!e) return nullptr;
    e->owner = Py_NewRef(owner);
    e->slot = slot;
    e->apartment = apartment;
    PyObject_GC_Track(e);
    return reinterpret_cast<PyObject*>(e);
}

void clear_event(EventSlot& slot) {
    if (slot.connected) {
        slot.event->disconnect(slot.connection);
        slot.connected = false;
    }
    Py_CLEAR(slot.handlers);
}

int traverse_event(EventSlot& slot, visitproc visit, void* arg) {
    Py_VISIT(slot.handlers);
    return 0;
}

}  // namespace vireo_python
