#include "vireo/core/errors.h"

#include <cerrno>

namespace prjVireo {

const char* vb_error_text(int number) {
    switch (number) {
        case 5: return "Invalid procedure call or argument";
        case 6: return "Overflow";
        case 7: return "Out of memory";
        case 13: return "Type mismatch";
        case 52: return "Bad file name or number";
        case 53: return "File not found";
        case 55: return "File already open";
        case 57: return "Device I/O error";
        case 61: return "Disk full";
        case 67: return "Too many files";
        case 70: return "Permission denied";
        case 75: return "Path/File access error";
        case 76: return "Path not found";
        case 91: return "Object variable or With block variable not set";
        case 380: return "Invalid property value";
        case 438: return "Object doesn't support this property or method";
        case 449: return "Argument not optional";
        case 450: return "Wrong number of arguments or invalid property assignment";
        case vbErrWrongThread: return "The application called an interface that was marshalled for a different thread";
        default: return "Application-defined or object-defined error";
    }
}

static std::string compose(int number, const std::string& detail) {
    std::string msg = vb_error_text(number);
    if (!detail.empty()) {
        msg += ": ";
        msg += detail;
    }
    return msg;
}

VbError::VbError(int number, const std::string& detail)
    : std::runtime_error(compose(number, detail)), number_(number) {}

int vb_error_from_errno(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR: return vbErrPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
        case EBUSY:
        case ELOOP:
        case ENXIO:  // a named pipe nobody reads, a device that is not there
        case EEXIST: return vbErrPathFileAccess;
        case ENAMETOOLONG:
        case EINVAL: return vbErrBadFileNameOrNumber;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return vbErrDiskFull;  // EFBIG: the file size limit, a full disk for this file
        case EMFILE:
        case ENFILE: return vbErrTooManyFiles;
        case ENOMEM: return vbErrOutOfMemory;
        default: return vbErrDeviceIO;
    }
}

}  // namespace prjVireo
