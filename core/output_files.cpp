#include "core/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "core/errors.h"

namespace prjVireo::files {
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
    }
};

FileTable& table() {
    thread_local FileTable t;
    return t;
}

}  // namespace

OutputFile::OutputFile(int fd, std::string path)
    : fd_(fd), path_(std::move(path)), buffer_(new char[kBufferSize]), capacity_(kBufferSize) {}

OutputFile::~OutputFile() { close_quietly(); }

bool OutputFile::write_all(const char* data, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd_, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            if (pending_errno_ == 0) pending_errno_ = errno;
            return false;
        }
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
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
    if (err) throw VbError(vb_error_from_errno(err), "writing " + path_);
}

void OutputFile::close() {
    if (fd_ < 0) return;
    flush();
    int err = pending_errno_;
    if (::fsync(fd_) != 0 && err == 0 && errno != EINVAL && errno != EROFS) err = errno;
    if (::close(fd_) != 0 && err == 0) err = errno;
    fd_ = -1;
    pending_errno_ = 0;
    if (err) throw VbError(vb_error_from_errno(err), "closing " + path_);
}

void OutputFile::close_quietly() noexcept {
    if (fd_ < 0) return;
    flush();
    ::fsync(fd_);
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

void open_for_output(std::int16_t number, const std::string& path) {
    if (number < kFirstNumber || number > kLastNumber) {
        throw VbError(vbErrBadFileNameOrNumber, "file number " + std::to_string(number));
    }
    if (path.empty() || path.find('\0') != std::string::npos) {
        throw VbError(vbErrBadFileNameOrNumber, "\"" + path + "\"");
    }
    auto& slot = table().slots[number];
    if (slot) throw VbError(vbErrFileAlreadyOpen, "file number " + std::to_string(number));
    // Claim files are private: a new file is created for its owner only.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);  // the umask may have removed owner bits
    } else if (errno == EEXIST) {
        fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    }
    if (fd < 0) throw VbError(vb_error_from_errno(errno), path);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw VbError(vbErrPathFileAccess, path);
    }
    slot = std::make_unique<OutputFile>(fd, path);
}

OutputFile* find(std::int16_t number) {
    if (number < kFirstNumber || number > kLastNumber) return nullptr;
    return table().slots[number].get();
}

void close(std::int16_t number) {
    if (number < kFirstNumber || number > kLastNumber) {
        throw VbError(vbErrBadFileNameOrNumber, "file number " + std::to_string(number));
    }
    auto& slot = table().slots[number];
    if (!slot) return;
    std::unique_ptr<OutputFile> file = std::move(slot);
    file->close();
}

}  // namespace prjVireo::files
