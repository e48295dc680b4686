#pragma once
// Run-time errors as the control reports them: a Visual Basic error number and
// its text, optionally followed by what failed (a path, an operation).
#include <stdexcept>
#include <string>

namespace prjVireo {

enum VbErrorNumber : int {
    vbErrInvalidProcedureCall = 5,
    vbErrOverflow = 6,
    vbErrOutOfMemory = 7,
    vbErrTypeMismatch = 13,
    vbErrBadFileNameOrNumber = 52,
    vbErrFileNotFound = 53,
    vbErrFileAlreadyOpen = 55,
    vbErrDeviceIO = 57,
    vbErrDiskFull = 61,
    vbErrTooManyFiles = 67,
    vbErrPermissionDenied = 70,
    vbErrPathFileAccess = 75,
    vbErrPathNotFound = 76,
    vbErrObjectNotSet = 91,
    vbErrInvalidPropertyValue = 380,
    vbErrNotSupported = 438,
    vbErrArgumentNotOptional = 449,
    vbErrWrongArguments = 450,
    // RPC_E_WRONG_THREAD (0x8001010E): an apartment's object called from
    // another thread, as Err.Number shows it.
    vbErrWrongThread = -2147417842,
};

// The standard text of a Visual Basic error number ("Overflow", "Disk full", ...).
const char* vb_error_text(int number);

class VbError : public std::runtime_error {
public:
    // `detail` names what failed; the message is "<text>: <detail>" when given.
    explicit VbError(int number, const std::string& detail = {});
    int number() const noexcept { return number_; }
    // The plain error text for `number()` without the detail.
    const char* description() const noexcept { return vb_error_text(number_); }

private:
    int number_;
};

// Maps an errno value from a failed file operation to the error Visual Basic raises for it.
int vb_error_from_errno(int err);

// The ErrorTrap rule: runs one step of an operation. With ErrorTrap set
// (`trapped`) a failure ends the operation and reaches the host; otherwise a
// run-time error inside the step is passed over and the operation goes on with
// its next step. Only run-time errors (VbError) are passed over: running out of
// memory or a broken invariant is never the host's to ignore.
template <class Step>
void run_under_error_trap(bool trapped, Step&& step) {
    if (trapped) {
        step();
        return;
    }
    try {
        step();
    } catch (const VbError&) {
    }
}

}  // namespace prjVireo
