#pragma once
// The Python face of the control, shared by the module's translation units.
//
// The segment classes, the control and the events are CPython types built at
// import time from the catalogue's descriptors: a field is a getset descriptor
// whose closure is the field's descriptor, so setting one from a Python loop
// is a type lookup and a string copy. pybind11 makes the module and the parts
// that are not in a host's loop.
//
// Threads: every thread has its own writer state, so a control and its
// segment objects belong to the thread that created the control (its
// apartment) and refuse calls from any other. Writing a segment, opening and
// closing a file run without the GIL; a BeforeAdd handler takes it back.
// Sizes of "#" formats are Py_ssize_t.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogues.h"
#include "vireo/control/catalogue.h"
#include "vireo/control/control.h"

namespace vireo_python {

// ---- apartments: the thread a control belongs to ----

struct Apartment {
    std::atomic<bool> ended{false};
    // Calls of this thread that run without the GIL (writing, opening,
    // closing); changed only while holding the GIL.
    int writing = 0;
};

// The calling thread's apartment, created at first use.
const std::shared_ptr<Apartment>& current_apartment();
// The calling thread's apartment or nullptr, in one load.
Apartment* current_apartment_if_any();

// Raises RuntimeError and returns false when `owner` is not the calling thread's.
bool check_thread(const Apartment* owner, const char* what);
inline bool on_owner_thread(const Apartment* owner, const char* what) {
    if (owner == current_apartment_if_any()) [[likely]] return true;
    return check_thread(owner, what);
}
// Before a control or segment object is torn down on a thread that does not
// own it: waits (without the GIL) until its thread writes nothing.
void wait_until_idle(const Apartment* owner);

// ---- errors ----

// The exception classes from vireo._base: VbError(number, message), CodeError.
extern PyObject* VbErrorType;
extern PyObject* CodeErrorType;
void load_error_types();
// Raises VbError for a C++ VbError (or another exception) and returns nullptr.
PyObject* raise_vb_error(int number, const std::string& message);
PyObject* raise_current_exception();
// A 16-bit Boolean from Python, as the control keeps them: True is -1, False 0,
// an int is kept as it is. Sets TypeError or OverflowError and returns false.
bool boolean_from_python(PyObject* value, std::int16_t& out, const char* what);
// Raises AttributeError(message, name=name, obj=obj); takes over `message`
// (nullptr: an error is already set).
void raise_attribute_error(PyObject* message, PyObject* name, PyObject* obj);
// Runs `body`, turning C++ exceptions into Python ones; false when one was raised.
template <class Body>
bool translate(Body&& body) {
    try {
        body();
        return true;
    } catch (...) {
        raise_current_exception();
        return false;
    }
}

// A C++ error caught while the GIL was released, raised once it is held again.
struct DeferredError {
    bool set = false;
    int number = 0;
    std::string message;
    bool vb = false;
    void capture();  // from the exception being handled
    PyObject* raise() const;
};

// ---- code lists ----

struct CodeListBinding {
    const prjVireo::CodeListDescriptor* descriptor;
    PyObject* enum_type;            // the IntEnum class
    std::vector<std::int32_t> values;     // sorted
    std::vector<PyObject*> members;       // the enum member of values[i]
    // The member for a Code value, or nullptr when the list has none.
    PyObject* member(std::int32_t value) const;
    bool contains(std::int32_t value) const { return member(value) != nullptr; }
};

// Creates the IntEnum of every code list of a catalogue and adds them to
// `module` (the catalogue's submodule, whose name qualifies theirs).
bool bind_codelists(PyObject* module, const CatalogueDeclarations& catalogue);
const CodeListBinding* codelist_binding(const prjVireo::CodeListDescriptor* list);
// NewLineValues, an IntEnum of its own.
extern PyObject* NewLineValuesType;
bool bind_newline_values(PyObject* module);

// The Code value a Python value stands for in `field` of `segment_class`:
// None, an enum member or Code value of the list, or a code text. Sets a
// Python error (CodeError for a code outside the list) and returns false.
bool code_from_python(PyObject* value, const prjVireo::SegmentClassDescriptor& segment_class,
                      const prjVireo::FieldDescriptor& field, std::int32_t& code);
// The text of a text field from None or a str, or, for a decimal (R) or
// whole-number (N0) element, from an int, a decimal.Decimal or a float whose
// value is exactly its decimal spelling, written as X12 wants it (in
// `storage`, which `text` then views).
bool text_from_python(PyObject* value, const prjVireo::SegmentClassDescriptor& segment_class,
                      const prjVireo::FieldDescriptor& field, std::string_view& text, std::string& storage);

// ---- events ----

// A Python BeforeAdd on an object: the handlers, and the one C++ handler
// that calls them, connected while there are any.
struct EventSlot {
    PyObject* handlers = nullptr;  // list of callables
    prjVireo::BeforeAddEvent* event = nullptr;
    prjVireo::BeforeAddEvent::Connection connection = 0;
    bool connected = false;
};

// Creates the Event and BeforeAddArgs types.
bool bind_event_types(PyObject* module);
// The Event view of `slot` on `owner` (a new reference).
PyObject* make_event(PyObject* owner, EventSlot* slot, const Apartment* apartment);
// Disconnects and forgets every handler (tp_clear, deallocation).
void clear_event(EventSlot& slot);
int traverse_event(EventSlot& slot, visitproc visit, void* arg);

// A call into the writer that may run Python BeforeAdd handlers: it keeps the
// first exception a handler raises (which cancels the segment) and raises it
// when the call returns. With `unlock` it runs without the GIL, which the
// handlers take back. While it runs, objects of its thread are not torn down
// by other threads (see wait_until_idle), and the objects whose events it
// raised are not torn down at all: a handler may drop the last reference to
// its control while the control is still raising the event.
class WriteCall {
public:
    WriteCall(Apartment* apartment, bool unlock);
    ~WriteCall();
    WriteCall(const WriteCall&) = delete;
    WriteCall& operator=(const WriteCall&) = delete;

    // Takes the GIL again (idempotent); after it, Python may be called.
    void relock();
    // nullptr with the handler's exception (or the C++ error) raised, else None.
    PyObject* finish(const DeferredError& error);

    // The innermost call of this thread, or nullptr.
    static WriteCall* current();
    // Takes over a reference to `object`, released once the call is over
    // (with the GIL held).
    void keep_until_done(PyObject* object);

private:
    friend struct HandlerLock;
    Apartment* apartment_;
    PyThreadState* saved_ = nullptr;  // while the GIL is let go
    WriteCall* outer_;
    PyObject* exc_type_ = nullptr;
    PyObject* exc_value_ = nullptr;
    PyObject* exc_traceback_ = nullptr;
    std::vector<PyObject*> kept_;  // owned references, each object once
};

// ---- segment objects ----

struct SegmentWrapper {
    PyObject_HEAD
    prjVireo::SegmentObject* object;
    std::shared_ptr<prjVireo::SegmentObject> holder;
    std::shared_ptr<Apartment> apartment;
    EventSlot before_add;
    PyObject* weakrefs;
};

// Creates the Segment base type, shared by every catalogue's classes.
bool bind_segment_base(PyObject* module);
// Creates one type per class of the catalogue in `module` (its submodule).
bool bind_segment_types(PyObject* module, const CatalogueDeclarations& catalogue);
extern PyTypeObject* SegmentBaseType;
// The type bound for a class.
PyTypeObject* segment_type(const prjVireo::SegmentClassDescriptor& segment_class);
// A new wrapper of `object` (of a bound class), owned by `apartment`.
PyObject* wrap_segment(std::shared_ptr<prjVireo::SegmentObject> object, std::shared_ptr<Apartment> apartment);
inline bool is_segment(PyObject* o) { return PyObject_TypeCheck(o, SegmentBaseType); }

// ---- the control ----

// Creates the catalogue's control type, Vireo, in `module` (its submodule).
bool bind_control_type(PyObject* module, const CatalogueDeclarations& catalogue);
struct ControlWrapper;
// The C++ control of a Vireo object of any catalogue, or nullptr with TypeError set.
prjVireo::basic_vireo* control_of(PyObject* object);

// ---- small helpers ----

// A str from UTF-8 bytes (invalid bytes replaced).
inline PyObject* str_from(std::string_view s) {
    return PyUnicode_DecodeUTF8(s.data(), static_cast<Py_ssize_t>(s.size()), "replace");
}
// "vireo.professional_5010.L2300_CLM_00": a type's module and name, which tell
// apart the classes of two catalogues that share a name.
std::string qualified_name(PyTypeObject* type);
// The UTF-8 text of a str or os.PathLike path; false with TypeError set otherwise.
bool path_from_python(PyObject* value, std::string& path);

}  // namespace vireo_python
