// vireo.OpenedFile: the file is written as vireo run writes its output
// (core/output_target.h): to a temporary file beside the target, mode 0600,
// synced and renamed over the target only when closed without error. A with
// block that raises, or a program that dies, leaves the target as it was. A
// pipe or a device is written directly.
#include "output.h"

#include <fcntl.h>
#include <signal.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "vireo/core/errors.h"
#include "vireo/core/output_files.h"
#include "vireo/core/output_target.h"
#include "vireo/core/writer_state.h"

namespace vireo_python {
namespace {

struct OpenedFile {
    PyObject_HEAD
    PyObject* control_object;
    std::shared_ptr<Apartment> apartment;
    prjVireo::files::OutputTarget* output;  // nullptr once closed or discarded
    std::int16_t number;
};

PyTypeObject* OpenedFileType = nullptr;

// ---- signals that end the interpreter at once ----
//
// SIGTERM and SIGHUP end a Python program without running any Python code
// (unless the program handles them), and so does SIGINT when the program set
// it to SIG_DFL: no with block is left, and an open file's 0600 temporary
// would stay behind. Where such a signal still has its default action when a
// file is opened, a handler takes its place that removes this process's
// temporaries and then lets the signal end the process as before (same
// signal, same status). A handler the program installs, before or after,
// is left to the program.
extern "C" void remove_temporaries_then_end(int signal_number) {
    prjVireo::files::remove_temporaries_for_signal();
    // SA_RESETHAND gave the signal back its default action: raised again, it
    // ends the process once this handler returns.
    ::raise(signal_number);
}

void remove_temporaries_on_default_signals() {
    for (int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
        struct sigaction current {};
        if (::sigaction(signal_number, nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
            (current.sa_flags & SA_SIGINFO)) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = remove_temporaries_then_end;
        sigfillset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal_number, &action, nullptr);
    }
}

OpenedFile* as_file(PyObject* self) { return reinterpret_cast<OpenedFile*>(self); }

// The output file of the thread's table that is this one's, or nullptr when
// the host closed it already.
prjVireo::files::OutputFile* own_file(const OpenedFile* f) {
    prjVireo::files::OutputFile* file = prjVireo::files::find(f->number);
    return file && file->path() == f->output->writing_path() ? file : nullptr;
}

// A watcher of the thread's segments (the guide checker) hears of the file's
// end, as it does from CloseFile.
void tell_closing(const OpenedFile* f) {
    prjVireo::WriterState& ws = prjVireo::writer_state();
    if (ws.watcher && own_file(f)) ws.watcher->file_closing();
}

// Removes the temporary file (closing it first when it is still open here).
void discard(OpenedFile* f) {
    if (!f->output) return;
    if (f->apartment.get() == current_apartment_if_any() && own_file(f)) {
        tell_closing(f);
        WriteCall call(f->apartment.get(), true);
        try {
            prjVireo::files::close(f->number);
        } catch (...) {
            // The data is thrown away: its write errors do not matter.
        }
    }
    delete f->output;  // removes the temporary file
    f->output = nullptr;
}

PyObject* file_close(PyObject* self, PyObject*) {
    OpenedFile* f = as_file(self);
    if (!on_owner_thread(f->apartment.get(), "this OpenedFile")) return nullptr;
    if (!f->output) Py_RETURN_NONE;
    DeferredError error;
    {
        WriteCall call(f->apartment.get(), true);
        try {
            tell_closing(f);
            if (own_file(f)) prjVireo::files::close(f->number);
        } catch (...) {
            error.capture();
        }
        PyObject* result = call.finish(error);
        if (!result) {
            discard(f);  // the target stays as it was
            return nullptr;
        }
        Py_DECREF(result);
    }
    if (!translate([&] { f->output->commit(); })) {
        discard(f);
        return nullptr;
    }
    delete f->output;
    f->output = nullptr;
    Py_RETURN_NONE;
}

PyObject* file_discard(PyObject* self, PyObject*) {
    OpenedFile* f = as_file(self);
    if (!on_owner_thread(f->apartment.get(), "this OpenedFile")) return nullptr;
    discard(f);
    Py_RETURN_NONE;
}

PyObject* file_enter(PyObject* self, PyObject*) { return Py_NewRef(as_file(self)->control_object); }

PyObject* file_exit(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 3) {
        PyErr_SetString(PyExc_TypeError, "__exit__ takes 3 arguments");
        return nullptr;
    }
    if (args[0] != Py_None) {
        OpenedFile* f = as_file(self);
        if (f->apartment.get() == current_apartment_if_any()) discard(f);
        Py_RETURN_FALSE;  // the block's exception goes on
    }
    PyObject* closed = file_close(self, nullptr);
    if (!closed) return nullptr;
    Py_DECREF(closed);
    Py_RETURN_FALSE;
}

PyObject* file_closed(PyObject* self, void*) { return PyBool_FromLong(as_file(self)->output == nullptr); }

PyObject* file_temp_path(PyObject* self, void*) {
    OpenedFile* f = as_file(self);
    if (!f->output) Py_RETURN_NONE;
    return str_from(f->output->writing_path());
}

PyObject* file_target(PyObject* self, void*) {
    OpenedFile* f = as_file(self);
    if (!f->output) Py_RETURN_NONE;
    return str_from(f->output->path());
}

void file_dealloc(PyObject* self) {
    OpenedFile* f = as_file(self);
    PyObject_GC_UnTrack(self);
    if (f->output) {
        // Neither closed nor discarded: the file never appears.
        PyObject *type, *value, *traceback;
        PyErr_Fetch(&type, &value, &traceback);
        if (PyErr_WarnFormat(PyExc_ResourceWarning, 1, "vireo: %s was never closed; it was not written",
                             f->output->path().c_str()) < 0) {
            PyErr_WriteUnraisable(self);
        }
        PyErr_Restore(type, value, traceback);
        if (f->apartment) wait_until_idle(f->apartment.get());
        discard(f);
    }
    Py_CLEAR(f->control_object);
    f->apartment.~shared_ptr();
    PyTypeObject* type = Py_TYPE(self);
    type->tp_free(self);
    Py_DECREF(type);
}

int file_traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(Py_TYPE(self));
    Py_VISIT(as_file(self)->control_object);
    return 0;
}

int file_clear(PyObject* self) {
    Py_CLEAR(as_file(self)->control_object);
    return 0;
}

PyObject* file_repr(PyObject* self) {
    OpenedFile* f = as_file(self);
    if (!f->output) return PyUnicode_FromString("<OpenedFile (closed)>");
    PyObject* target = str_from(f->output->path());
    if (!target) return nullptr;
    PyObject* repr = PyUnicode_FromFormat("<OpenedFile %R>", target);
    Py_DECREF(target);
    return repr;
}

PyMethodDef file_methods[] = {
    {"close", file_close, METH_NOARGS,
     "close()\n\nCloses the file (flushed and synced to disk, write errors raised) and puts it in place of the "
     "target. On an error the temporary file is removed and the target is left as it was."},
    {"discard", file_discard, METH_NOARGS, "discard()\n\nCloses and removes the temporary file; the target stays as it was."},
    {"__enter__", file_enter, METH_NOARGS, "Returns the control."},
    {"__exit__", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(file_exit)), METH_FASTCALL,
     "Closes the file, or discards it when the block raised."},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef file_getset[] = {
    {"path", file_target, nullptr, "The target path (None once closed).", nullptr},
    {"temp_path", file_temp_path, nullptr, "The temporary file being written (None once closed).", nullptr},
    {"closed", file_closed, nullptr, "Whether it was closed or discarded.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot file_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(file_dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(file_traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(file_clear)},
    {Py_tp_methods, file_methods},
    {Py_tp_getset, file_getset},
    {Py_tp_repr, reinterpret_cast<void*>(file_repr)},
    {Py_tp_doc, const_cast<char*>("A file opened by Vireo.open(): written to a temporary file beside its path, which "
                                  "takes the path's place only when it is closed without error.")},
    {0, nullptr},
};

PyType_Spec file_spec = {"vireo.OpenedFile", sizeof(OpenedFile), 0,
                         Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_DISALLOW_INSTANTIATION, file_slots};

}  // namespace

bool bind_output_type(PyObject* module) {
    OpenedFileType = reinterpret_cast<PyTypeObject*>(PyType_FromModuleAndSpec(module, &file_spec, nullptr));
    return OpenedFileType &&
           PyModule_AddObjectRef(module, "OpenedFile", reinterpret_cast<PyObject*>(OpenedFileType)) == 0;
}

PyObject* open_output(PyObject* control_object, prjVireo::basic_vireo*, const std::shared_ptr<Apartment>& apartment,
                      const std::string& path) {
    // Reported whatever ErrorTrap says: a with block that writes nowhere would lose every segment.
    std::unique_ptr<prjVireo::files::OutputTarget> output;
    std::int16_t number = 0;
    DeferredError error;
    {
        WriteCall call(apartment.get(), true);
        try {
            output = std::make_unique<prjVireo::files::OutputTarget>(path);
            // The control writes through a duplicate of the target's descriptor:
            // no path is opened again, and the target keeps its lock until commit.
            const int fd = ::fcntl(output->descriptor(), F_DUPFD_CLOEXEC, 3);
            if (fd < 0) throw prjVireo::VbError(prjVireo::vb_error_from_errno(errno), path + ": " + std::strerror(errno));
            prjVireo::WriterState& ws = prjVireo::writer_state();
            ws.file_number = number = prjVireo::files::next_free_number();
            prjVireo::files::adopt_for_output(number, fd, output->writing_path());
            // A watcher of the thread's segments (the guide checker) names the file as the host does.
            if (ws.watcher) ws.watcher->file_opened(path);
        } catch (...) {
            error.capture();
        }
        PyObject* result = call.finish(error);
        if (!result) return nullptr;
        Py_DECREF(result);
    }
    remove_temporaries_on_default_signals();
    OpenedFile* f = PyObject_GC_New(OpenedFile, OpenedFileType);
    if (!f) return nullptr;
    f->control_object = Py_NewRef(control_object);
    new (&f->apartment) std::shared_ptr<Apartment>(apartment);
    f->number = number;
    f->output = output.release();
    PyObject_GC_Track(f);
    return reinterpret_cast<PyObject*>(f);
}

}  // namespace vireo_python
