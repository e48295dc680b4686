#pragma once
// Sequential output files, numbered as the host language numbers them: a
// per-thread table of open files with 16-bit numbers 1 to 255. Output is
// buffered; a buffer that cannot be written is kept as a pending error that the
// writer reports (at once when errors are trapped, at the latest by close).
//
// A file belongs to the process that opened it. A copy of the process made by
// fork holds a copy of the buffer and the same open file: writing that buffer
// would put the parent's bytes into the file twice, so the copy never writes,
// syncs or closes into the file for its parent. Its flush drops what it
// buffered (a pending error), its close throws, and its quiet close (thread
// or process exit) only lets go of its descriptor.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace prjVireo::files {

constexpr std::int16_t kFirstNumber = 1;
constexpr std::int16_t kLastNumber = 255;

class OutputFile {
public:
    // `created`: the file did not exist before it was opened, so its name is new
    // and is made durable together with the data.
    OutputFile(int fd, std::string path, bool created = false);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void append(std::string_view bytes) {
        if (bytes.size() <= capacity_ - used_) {
            std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
        } else {
            append_slow(bytes);
        }
    }
    void append(char c) {
        if (used_ == capacity_) flush();
        buffer_[used_++] = c;
    }

    // Room for `n` bytes at the end of the buffer, or nullptr when fewer are free
    // (nothing is written out here; append then flushes as usual). Bytes stored
    // there join the file only when `commit` is given their end.
    char* reserve(std::size_t n) {
        return n <= capacity_ - used_ ? buffer_.get() + used_ : nullptr;
    }
    // How many bytes reserve can give without a flush.
    std::size_t room() const { return capacity_ - used_; }
    void commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

    // Writes the buffer out. A failure drops the buffered bytes and becomes the
    // pending error; so does a flush in a fork of the process that opened the file.
    void flush();
    // errno of the first write that failed and has not been reported yet, or 0.
    int pending_error() const { return pending_errno_; }
    // Throws the pending error as a VbError naming the path, and clears it.
    void raise_pending();
    // Flushes, syncs the data (and the folder entry of a new file) to disk and
    // closes; throws VbError for the first failure, deferred write errors
    // included, and VbError 53 when the file was removed while open. The file is
    // closed whatever happens. In a fork of the process that opened the file,
    // nothing buffered is written and VbError 75 says so.
    void close();
    // Flushes and closes without reporting (thread exit).
    void close_quietly() noexcept;
    const std::string& path() const { return path_; }
    // Bytes written to the file so far, the ones still in the buffer included.
    std::uint64_t size() const { return written_ + used_; }
    // A regular file, by device and inode (0 and 0 for pipes and devices).
    dev_t device() const { return device_; }
    ino_t inode() const { return inode_; }

private:
    void append_slow(std::string_view bytes);
    bool write_all(const char* data, std::size_t n);
    void start_writeback(std::size_t just_written);
    bool opened_here() const;
    [[noreturn]] void refuse_in_fork() const;

    static constexpr std::size_t kWritebackStep = 4u << 20;

    int fd_;
    pid_t owner_;  // the process that opened the file
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    int pending_errno_ = 0;
    bool dropped_in_fork_ = false;  // the pending error is a flush refused in a fork
    bool created_ = false;
    std::size_t written_ = 0;         // bytes handed to the kernel
    std::size_t writeback_from_ = 0;  // where the writeback not yet started begins
    bool writeback_ = true;           // the file accepts early writeback
};

// The lowest number not in use on this thread; VbError 67 when all are taken.
std::int16_t next_free_number();

// Opens `path` for sequential output under `number`: a new file is created
// readable and writable by its owner only, an existing one is emptied and keeps
// its mode. A regular file that this thread has open already, under any
// number and any spelling of its path, is VbError 55 and is left as it is.
// Throws VbError (bad name, path not found, access, too many files).
void open_for_output(std::int16_t number, const std::string& path);

// Takes an open descriptor (which it closes in the end) as the file `number`,
// named `path` in messages: the way to write a file created safely elsewhere
// (core/output_target.h) without opening any path again.
void adopt_for_output(std::int16_t number, int fd, const std::string& path);

namespace detail {
// The calling thread's open files by number, read for every segment: plain
// pointers with constant initialisation, so that a lookup is one load with no
// per-thread set-up. The table in output_files.cpp owns the files and keeps
// this in step with it.
extern constinit thread_local OutputFile* open_files[kLastNumber + 1];
}  // namespace detail

// The open file with that number, or nullptr.
inline OutputFile* find(std::int16_t number) {
    if (number < kFirstNumber || number > kLastNumber) return nullptr;
    return detail::open_files[number];
}

// Closes the file with that number. Closing a number that is not open does nothing;
// a number outside 1..255 is VbError 52.
void close(std::int16_t number);

}  // namespace prjVireo::files
