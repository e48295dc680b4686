#include "vireo/core/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <cerrno>
#include <filesystem>

#include "vireo/core/errors.h"

namespace prjVireo::files {

constinit thread_local OutputFile* detail::open_files[kLastNumber + 1] = {};

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

// The open files of one thread. Files the host never closed are flushed and
// closed when the thread ends.
struct FileTable {
    std::array<std::unique_ptr<OutputFile>, kLastNumber + 1> slots;
    ~FileTable() {
        for (auto& f : slots) {
            if (f) f->close_quietly();
        }
        std::fill(std::begin(detail::open_files), std::end(detail::open_files), nullptr);
    }
};

FileTable& table() {
    thread_local FileTable t;
    return t;
}

// Makes the directory entry of a newly created file (open as `fd`) durable:
// without this a crash right after CloseFile could leave the data on disk but
// no name for it. A folder the user may write but not read (a drop folder)
// cannot be opened to sync it; the file system holding it is synced instead.
int sync_parent_directory(const std::string& path, int fd) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (parent.empty()) parent = ".";
    int dir = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        if (errno != EACCES) return 0;  // the file itself is synced; a folder gone or renamed is not ours to sync
        return ::syncfs(fd) != 0 && errno != EROFS ? errno : 0;
    }
    int err = 0;
    if (::fsync(dir) != 0 && errno != EINVAL && errno != EROFS) err = errno;
    ::close(dir);
    return err;
}

}  // namespace

OutputFile::OutputFile(int fd, std::string path, bool created)
    : fd_(fd),
      owner_(::getpid()),
      path_(std::move(path)),
      buffer_(new char[kBufferSize]),
      capacity_(kBufferSize),
      created_(created) {
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) {
        device_ = st.st_dev;
        inode_ = st.st_ino;
    }
}

OutputFile::~OutputFile() { close_quietly(); }

bool OutputFile::opened_here() const { return ::getpid() == owner_; }

void OutputFile::refuse_in_fork() const {
    throw VbError(vbErrPathFileAccess, path_ + " is written by process " + std::to_string(owner_) + "; process " +
                                           std::to_string(::getpid()) +
                                           ", a fork of it, cannot write or close it (only the process that opened "
                                           "it can): what this process wrote to it is dropped");
}

bool OutputFile::write_all(const char* data, std::size_t n) {
    if (!opened_here()) {
        // A fork's buffer holds its parent's bytes as well: writing it would add them twice.
        if (pending_errno_ == 0) {
            pending_errno_ = EBADF;
            dropped_in_fork_ = true;
        }
        return false;
    }
    while (n > 0) {
        ssize_t w = ::write(fd_, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            if (pending_errno_ == 0) pending_errno_ = errno;
            return false;
        }
        data += w;
        n -= static_cast<std::size_t>(w);
        start_writeback(static_cast<std::size_t>(w));
    }
    return true;
}

// Asks the kernel to start writing the last few MiB to disk now, while the
// host goes on producing claims, so that the sync at close finds little left
// to do. It only starts the writeback; durability is still the sync's. Files
// that cannot do this (pipes, devices) refuse it, and they are left alone.
void OutputFile::start_writeback(std::size_t just_written) {
    written_ += just_written;
    if (!writeback_ || written_ - writeback_from_ < kWritebackStep) return;
    if (::sync_file_range(fd_, static_cast<off_t>(writeback_from_), static_cast<off_t>(written_ - writeback_from_),
                          SYNC_FILE_RANGE_WRITE) != 0) {
        writeback_ = false;
    }
    writeback_from_ = written_;
}

void OutputFile::flush() {
    if (used_ == 0 || fd_ < 0) {
        used_ = 0;
        return;
    }
    write_all(buffer_.get(), used_);
    used_ = 0;
}

void OutputFile::append_slow(std::string_view bytes) {
    flush();
    if (bytes.size() >= capacity_) {
        write_all(bytes.data(), bytes.size());
        return;
    }
    std::memcpy(buffer_.get(), bytes.data(), bytes.size());
    used_ = bytes.size();
}

void OutputFile::raise_pending() {
    int err = pending_errno_;
    pending_errno_ = 0;
    if (dropped_in_fork_) {
        dropped_in_fork_ = false;
        refuse_in_fork();
    }
    if (err) throw VbError(vb_error_from_errno(err), "writing " + path_);
}

void OutputFile::close() {
    if (fd_ < 0) return;
    if (!opened_here()) {
        // Neither flushed nor synced: only this process's descriptor goes.
        used_ = 0;
        pending_errno_ = 0;
        dropped_in_fork_ = false;
        ::close(fd_);
        fd_ = -1;
        refuse_in_fork();
    }
    flush();
    // Every failure is collected, the first one is reported: a write that
    // buffering deferred, then syncing the data, then the file's name, then close.
    // Character devices and pipes cannot be synced (EINVAL); that is not a loss.
    int err = pending_errno_;
    const char* what = "writing ";
    auto note = [&](int e, const char* step) {
        if (err == 0 && e != 0) {
            err = e;
            what = step;
        }
    };
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) note(errno, "syncing ");
    // A file removed while it was open holds data that nobody can ever read:
    // the claims written to it are lost, and the host must hear of it.
    struct stat st;
    bool removed = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 0;
    if (created_ && !removed) note(sync_parent_directory(path_, fd_), "syncing the folder of ");
    if (::close(fd_) != 0 && errno != EINTR) note(errno, "closing ");
    fd_ = -1;
    pending_errno_ = 0;
    if (err) throw VbError(vb_error_from_errno(err), what + path_);
    if (removed) throw VbError(vbErrFileNotFound, path_ + " was removed while open; what was written to it is lost");
}

void OutputFile::close_quietly() noexcept {
    if (fd_ < 0) return;
    if (opened_here()) {
        flush();
        ::fsync(fd_);
    }
    ::close(fd_);
    fd_ = -1;
}

std::int16_t next_free_number() {
    auto& t = table();
    for (int n = kFirstNumber; n <= kLastNumber; ++n) {
        if (!t.slots[n]) return static_cast<std::int16_t>(n);
    }
    throw VbError(vbErrTooManyFiles, "no free file number");
}

namespace {

void check_range(std::int16_t number) {
    if (number < kFirstNumber || number > kLastNumber) {
        throw VbError(vbErrBadFileNameOrNumber, "file number " + std::to_string(number));
    }
}

void check_free(std::int16_t number) {
    if (table().slots[number]) throw VbError(vbErrFileAlreadyOpen, "file number " + std::to_string(number));
}

// The number under which this thread has that regular file open, or 0. Two
// buffers on one file would overwrite each other's bytes, the later flush
// winning, even after the host closed one of them successfully.
int number_holding(const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return 0;
    const auto& slots = table().slots;
    for (int n = kFirstNumber; n <= kLastNumber; ++n) {
        if (slots[n] && slots[n]->inode() == st.st_ino && slots[n]->device() == st.st_dev) return n;
    }
    return 0;
}

}  // namespace

void open_for_output(std::int16_t number, const std::string& path) {
    check_range(number);
    if (path.empty()) throw VbError(vbErrBadFileNameOrNumber, "no file name given");
    if (std::size_t nul = path.find('\0'); nul != std::string::npos) {
        // The message is a C string: show where the name breaks off.
        throw VbError(vbErrBadFileNameOrNumber, path.substr(0, nul) + "\\0...: a file name cannot hold NUL");
    }
    check_free(number);
    // Claim files are private: a new file is created for its owner only. An
    // existing file keeps its owner and mode; it is emptied only once it is
    // known not to be open here already. O_NONBLOCK makes a named pipe without
    // a reader fail at once (ENXIO) instead of hanging the host; it is cleared
    // again so that writes wait as usual.
    bool created = true;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);  // the umask may have removed owner bits
    } else if (errno == EEXIST) {
        created = false;
        fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    }
    if (fd < 0) throw VbError(vb_error_from_errno(errno), path);
    int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            ::close(fd);
            throw VbError(vbErrPathFileAccess, path);
        }
        if (const int holder = number_holding(st)) {
            ::close(fd);
            throw VbError(vbErrFileAlreadyOpen, path + " is open already as file number " + std::to_string(holder));
        }
        if (!created && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
            const int err = errno;
            ::close(fd);
            throw VbError(vb_error_from_errno(err), path);
        }
    }
    auto& slot = table().slots[number];
    slot = std::make_unique<OutputFile>(fd, path, created);
    detail::open_files[number] = slot.get();
}

void adopt_for_output(std::int16_t number, int fd, const std::string& path) {
    try {
        check_range(number);
        check_free(number);
    } catch (...) {
        ::close(fd);
        throw;
    }
    auto& slot = table().slots[number];
    slot = std::make_unique<OutputFile>(fd, path);
    detail::open_files[number] = slot.get();
}

// File number 0 is what the writer state holds before any OpenFile: closing it
// is a bad file number, as for any number outside 1..255, so a host that closes
// without ever opening hears of its mistake. A number in range that is not open
// (closed already, or never opened) is closed silently, like a second Close.
void close(std::int16_t number) {
    if (number < kFirstNumber || number > kLastNumber) {
        throw VbError(vbErrBadFileNameOrNumber, "file number " + std::to_string(number));
    }
    auto& slot = table().slots[number];
    if (!slot) return;
    std::unique_ptr<OutputFile> file = std::move(slot);
    detail::open_files[number] = nullptr;
    file->close();
}

}  // namespace prjVireo::files
