#include "vireo/core/output_target.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "vireo/core/errors.h"

namespace prjVireo::files {
namespace {

// ---- temporaries listed for removal on a signal ----

// A fixed table that a signal handler can read without locks or allocation:
// a slot is claimed (1), filled, then published (2); only published slots
// are acted on, and only in the process that listed them (a fork copies the
// table, not the right to remove its parent's files).
struct SignalSlot {
    std::atomic<int> state{0};
    pid_t pid = 0;
    int dir_fd = -1;
    char name[NAME_MAX + 1] = {};
};
constexpr int kSignalSlots = 64;
SignalSlot g_signal_slots[kSignalSlots];
static_assert(std::atomic<int>::is_always_lock_free, "signal handlers need lock-free atomics");

int list_for_signal(pid_t pid, int dir_fd, const std::string& name) {
    if (name.size() >= sizeof(SignalSlot::name)) return -1;
    for (int i = 0; i < kSignalSlots; ++i) {
        SignalSlot& slot = g_signal_slots[i];
        int expected = 0;
        if (!slot.state.compare_exchange_strong(expected, 1)) continue;
        slot.pid = pid;
        slot.dir_fd = dir_fd;
        name.copy(slot.name, name.size());
        slot.name[name.size()] = '\0';
        slot.state.store(2, std::memory_order_release);
        return i;
    }
    return -1;  // more targets at once than slots: this one is not removed on a signal
}

void unlist_for_signal(int& slot) {
    if (slot < 0) return;
    g_signal_slots[slot].state.store(1, std::memory_order_release);
    g_signal_slots[slot].dir_fd = -1;
    g_signal_slots[slot].state.store(0, std::memory_order_release);
    slot = -1;
}

// ---- helpers ----

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

[[noreturn]] void fail(int err, const std::string& detail) {
    throw VbError(vb_error_from_errno(err), detail + ": " + std::strerror(err));
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The rest of a temporary's name after the prefix: "<pid>" or "<pid>-<n>".
bool temporary_suffix(const char* rest) {
    const char* p = rest;
    while (*p >= '0' && *p <= '9') ++p;
    if (p == rest) return false;
    if (*p == '\0') return true;
    if (*p != '-') return false;
    const char* q = ++p;
    while (*p >= '0' && *p <= '9') ++p;
    return p != q && *p == '\0';
}

// What a kind of file is called in messages.
const char* kind_name(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISLNK(mode)) return "a symbolic link";
    return "a regular file";
}

// A target that is written as it is: a pipe or a character device (a
// terminal, /dev/null). A disk (block device) would lose its file system.
bool written_directly(mode_t mode) { return S_ISFIFO(mode) || S_ISCHR(mode); }

void refuse_kind(const std::string& path, mode_t mode) {
    if (S_ISDIR(mode)) throw VbError(vbErrPathFileAccess, quoted(path) + " is a directory, not a file name");
    if (S_ISBLK(mode)) {
        throw VbError(vbErrPathFileAccess,
                      quoted(path) + " is a block device: writing it would overwrite a disk; give a file name");
    }
    throw VbError(vbErrPathFileAccess, quoted(path) + " is " + kind_name(mode) + " and cannot be written");
}

}  // namespace

bool identity_of(const std::string& path, FileIdentity& out) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return false;
    out = {st.st_dev, st.st_ino};
    return true;
}

bool identity_of(int fd, FileIdentity& out) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return false;
    out = {st.st_dev, st.st_ino};
    return true;
}

std::string temporary_prefix(std::string_view base) {
    // The pid and a counter must fit into the longest file name as well.
    constexpr std::size_t kBaseInName = 200;
    constexpr std::string_view kTail = ".vireo-tmp-";
    base = base.substr(0, kBaseInName);
    std::string prefix;
    prefix.reserve(1 + base.size() + kTail.size());
    prefix.push_back('.');
    prefix.append(base);
    prefix.append(kTail);
    return prefix;
}

OutputTarget::OutputTarget(const std::string& path) : path_(path), owner_(::getpid()) {
    if (path_.empty()) throw VbError(vbErrBadFileNameOrNumber, "no output file given");
    if (path_.find('\0') != std::string::npos) {
        throw VbError(vbErrBadFileNameOrNumber, path_.substr(0, path_.find('\0')) + "\\0...: a file name cannot hold NUL");
    }
    if (path_ == "-") {
        // Standard output as the caller's shell set it up, written as it is.
        mode_ = Mode::Direct;
        fd_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        if (fd_ < 0) fail(errno, "standard output");
        return;
    }
    const auto slash = path_.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
    base_ = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    if (base_.empty() || base_ == "." || base_ == "..") {
        throw VbError(vbErrBadFileNameOrNumber, quoted(path_) + " is not a file name");
    }
    prepare_replacement(folder, base_);
}

void OutputTarget::prepare_replacement(const std::string& folder, const std::string& base) {
    dir_fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd_ < 0 && errno == EACCES) {
        // A drop folder that the user may write but not read: files are still
        // created, renamed and removed in it by name, through a descriptor
        // that only names the folder.
        dir_fd_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        folder_readable_ = false;
    }
    if (dir_fd_ < 0) fail(errno, "cannot create a file in " + quoted(folder) + " for " + quoted(path_));
    struct stat st;
    if (::fstatat(dir_fd_, base.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) fail(errno, "cannot write " + quoted(path_));
    } else if (S_ISLNK(st.st_mode)) {
        struct stat final_target;
        if (::fstatat(dir_fd_, base.c_str(), &final_target, 0) != 0) {
            throw VbError(vbErrPathFileAccess, quoted(path_) + " is a symbolic link to nothing that exists; give a file name");
        }
        if (written_directly(final_target.st_mode)) {
            open_direct(path_);  // /dev/stdout to a pipe or terminal, a link to a FIFO
            return;
        }
        FileIdentity out, pointed{final_target.st_dev, final_target.st_ino};
        if (S_ISREG(final_target.st_mode) && identity_of(STDOUT_FILENO, out) && out == pointed) {
            // /dev/stdout (or /proc/self/fd/1) where the shell sent standard output to a file.
            mode_ = Mode::Direct;
            fd_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
            if (fd_ < 0) fail(errno, "standard output");
            return;
        }
        if (!S_ISREG(final_target.st_mode)) refuse_kind(path_, final_target.st_mode);
        std::string real;
        if (char* resolved = ::realpath(path_.c_str(), nullptr)) {
            real = resolved;
            std::free(resolved);
        }
        throw VbError(vbErrPathFileAccess,
                      quoted(path_) + " is a symbolic link" + (real.empty() ? "" : " to " + quoted(real)) +
                          "; a file is replaced only under its own name, never through a link: give that name");
    } else if (written_directly(st.st_mode)) {
        open_direct(path_);
        return;
    } else if (!S_ISREG(st.st_mode)) {
        refuse_kind(path_, st.st_mode);
    } else if (::faccessat(dir_fd_, base.c_str(), W_OK, AT_EACCESS) != 0) {
        fail(errno, "cannot write " + quoted(path_));
    }
    remove_stale_temporaries();
    create_temporary();
}

void OutputTarget::open_direct(const std::string& opened_as) {
    mode_ = Mode::Direct;
    // Opened as it is: no creation, no truncation. A FIFO waits for its reader,
    // as any writer to it does.
    fd_ = ::open(opened_as.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) fail(errno, "cannot write " + quoted(path_));
    struct stat st;
    if (::fstat(fd_, &st) != 0 || !written_directly(st.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        throw VbError(vbErrPathFileAccess, quoted(path_) + " changed while it was being opened; nothing was written");
    }
}

void OutputTarget::remove_stale_temporaries() const {
    // A folder that cannot be read cannot be listed: its leftovers stay (they
    // are private to their owners, and a new temporary takes a free name).
    if (!folder_readable_) return;
    const int listing = ::fcntl(dir_fd_, F_DUPFD_CLOEXEC, 0);
    if (listing < 0) return;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    ::rewinddir(dir);
    const std::string prefix = temporary_prefix(base_);
    while (const dirent* e = ::readdir(dir)) {
        if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0 || !temporary_suffix(e->d_name + prefix.size())) {
            continue;
        }
        // A temporary that nobody holds locked belongs to a writer that is gone.
        const int fd = ::openat(dir_fd_, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;  // a link, or not ours to judge
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dir_fd_, e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && same_file(held, named)) {
            ::unlinkat(dir_fd_, e->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

void OutputTarget::create_temporary() {
    const std::string stem = temporary_prefix(base_) + std::to_string(::getpid());
    const std::string folder = path_.substr(0, path_.size() - base_.size());
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        std::string name = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
        const int fd = ::openat(dir_fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;  // another writer's, or something planted there
            fail(errno, "cannot create a file in " + quoted(folder.empty() ? "." : folder) + " for " + quoted(path_));
        }
        // The lock says "in use" to every other writer. A writer cleaning up may
        // have taken it between the create and now, or removed the name: then
        // this name is given up for the next one.
        struct stat held, named;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0 ||
            ::fstatat(dir_fd_, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !same_file(held, named)) {
            ::close(fd);
            continue;
        }
        // Private whatever the umask, which may have taken the owner's own bits.
        if (::fchmod(fd, 0600) != 0) {
            const int err = errno;
            ::unlinkat(dir_fd_, name.c_str(), 0);
            ::close(fd);
            fail(err, "cannot write " + quoted(path_));
        }
        fd_ = fd;
        temp_name_ = std::move(name);
        temp_path_ = folder + temp_name_;
        pending_ = true;
        signal_slot_ = list_for_signal(owner_, dir_fd_, temp_name_);
        return;
    }
    throw VbError(vbErrPathFileAccess, "cannot write " + quoted(path_) + ": too many writers for it at once");
}

OutputTarget::~OutputTarget() {
    discard();
    unlist_for_signal(signal_slot_);
    if (fd_ >= 0) ::close(fd_);
    if (dir_fd_ >= 0) ::close(dir_fd_);
}

FileIdentity OutputTarget::identity() const {
    FileIdentity id;
    identity_of(fd_, id);
    return id;
}

void OutputTarget::check_owner(const char* doing) const {
    const pid_t self = ::getpid();
    if (self == owner_) return;
    throw VbError(vbErrPathFileAccess, quoted(path_) + " is written by process " + std::to_string(owner_) +
                                           "; process " + std::to_string(self) + ", a fork of it, cannot " + doing +
                                           " it (only the process that opened it can): nothing was done to it here");
}

void OutputTarget::write(std::string_view data) {
    check_owner("write");
    while (!data.empty()) {
        const ssize_t w = ::write(fd_, data.data(), data.size());
        if (w < 0) {
            if (errno == EINTR) continue;
            fail(errno, "writing " + quoted(path_));
        }
        data.remove_prefix(static_cast<std::size_t>(w));
    }
}

void OutputTarget::commit() {
    check_owner("close");
    // Pipes and devices cannot be synced (EINVAL); that is not a loss.
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) fail(errno, "syncing " + quoted(path_));
    if (mode_ == Mode::Direct || !pending_) return;
    struct stat mine, named, old;
    if (::fstat(fd_, &mine) != 0) fail(errno, "writing " + quoted(path_));
    if (::fstatat(dir_fd_, temp_name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !same_file(mine, named)) {
        pending_ = false;  // the name is someone else's now: it is not touched
        unlist_for_signal(signal_slot_);
        throw VbError(vbErrPathFileAccess, "the temporary file " + quoted(temp_path_) +
                                               " was replaced or removed by someone else; " + quoted(path_) +
                                               " is left as it was");
    }
    if (::fstatat(dir_fd_, base_.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(old.st_mode)) {
            throw VbError(vbErrPathFileAccess, quoted(path_) + " became " + kind_name(old.st_mode) +
                                                   " while it was being written; it is left as it was");
        }
        // The replaced file's owner and group where the user may give them
        // (root; a group the user is in), then its mode: changing the owner
        // clears set-id bits, so the mode comes last.
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) (void)::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
        if (::fchmod(fd_, old.st_mode & 07777) != 0) fail(errno, "cannot write " + quoted(path_));
    } else if (errno != ENOENT) {
        fail(errno, "cannot write " + quoted(path_));
    }
    if (::renameat(dir_fd_, temp_name_.c_str(), dir_fd_, base_.c_str()) != 0) {
        fail(errno, "cannot write " + quoted(path_));
    }
    pending_ = false;
    unlist_for_signal(signal_slot_);
    if (::fstatat(dir_fd_, base_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 || !same_file(mine, named)) {
        throw VbError(vbErrPathFileAccess, quoted(path_) + " was replaced by another file right after it was written");
    }
    sync_folder();
}

// The new name is durable only once the folder is. A folder this user may
// not read cannot be opened to sync it: the file system holding it is synced
// instead, the folder's entries with it.
void OutputTarget::sync_folder() {
    if (folder_readable_) {
        if (::fsync(dir_fd_) != 0 && errno != EINVAL && errno != EROFS) {
            fail(errno, "syncing the folder of " + quoted(path_));
        }
    } else if (::syncfs(fd_) != 0 && errno != EROFS) {
        fail(errno, "syncing the file system of " + quoted(path_));
    }
}

void OutputTarget::discard() noexcept {
    if (!pending_) return;
    pending_ = false;
    if (::getpid() != owner_) {
        // A fork's copy: the temporary is still being written by the process that made it.
        unlist_for_signal(signal_slot_);
        return;
    }
    struct stat mine, named;
    // Only this very file is removed: a name someone else has taken over is left alone.
    if (::fstat(fd_, &mine) == 0 && ::fstatat(dir_fd_, temp_name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        same_file(mine, named)) {
        ::unlinkat(dir_fd_, temp_name_.c_str(), 0);
    }
    unlist_for_signal(signal_slot_);
}

void write_file_safely(const std::string& path, std::string_view data) {
    OutputTarget target(path);
    target.write(data);
    target.commit();
}

void remove_temporaries_for_signal() noexcept {
    const pid_t self = ::getpid();
    for (SignalSlot& slot : g_signal_slots) {
        if (slot.state.load(std::memory_order_acquire) == 2 && slot.pid == self) ::unlinkat(slot.dir_fd, slot.name, 0);
    }
}

}  // namespace prjVireo::files
