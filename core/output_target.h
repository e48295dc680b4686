#pragma once
// The one way vireo replaces a file (a claim file written by `vireo run`, a
// saved control): the data goes to a new temporary file beside the target,
// created exclusively and never through a symbolic link, written only through
// the descriptor that created it, synced, and renamed over the target once
// complete. Until then the target is untouched; a run that fails, is killed or
// is interrupted never leaves a partial target behind.
//
// A target that is not a regular file is not replaced: a pipe, a FIFO or a
// character device (a terminal, /dev/null), also through a symbolic link such
// as /dev/stdout, is written directly; a directory, a block device or a
// socket is refused, and so is a symbolic link to a regular file (the file it
// points to is never replaced through it).
//
// A live writer holds a lock (flock) on its temporary file for as long as it
// exists; the next writer for the same target removes only temporaries that
// nobody holds, whichever process, user or PID namespace left them.
//
// An OutputTarget belongs to the process that made it. A copy made by fork
// shares the temporary file (and its lock) but never writes, commits or
// removes it: its commit and write throw, its discard and destructor leave
// the file to the process that made it, and its signal cleanup skips it.
//
// A folder the user may write but not read (a drop folder, mode 0733 or 1733
// owned by someone else) is written all the same: its temporaries cannot be
// listed, so none of a dead writer's are removed there, and the folder cannot
// be opened to sync it, so the new name is made durable by syncing the whole
// file system instead.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace prjVireo::files {

// A file as the kernel knows it, whatever the spelling of its path.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of what `path` names (following symbolic links) or of an open
// descriptor; false when there is none.
bool identity_of(const std::string& path, FileIdentity& out);
bool identity_of(int fd, FileIdentity& out);

// The temporary files for `base` (a file name without folder) are named
// ".base.vireo-tmp-<pid>" with an optional "-<n>"; this is their prefix.
std::string temporary_prefix(std::string_view base);

class OutputTarget {
public:
    // How the data reaches the target.
    enum class Mode { Replace, Direct };

    // Prepares `path` for writing: a regular file or a new name gets a locked
    // temporary file beside it (temporaries of dead writers are removed first);
    // a FIFO or character device is opened as it is; "-" is standard output.
    // Throws VbError naming the path and what to do for a target it refuses
    // or cannot write.
    explicit OutputTarget(const std::string& path);
    // Removes the temporary file unless committed.
    ~OutputTarget();
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    Mode mode() const { return mode_; }
    // The target as given.
    const std::string& path() const { return path_; }
    // The temporary file's path (Replace), or the target's (Direct).
    const std::string& writing_path() const { return mode_ == Mode::Replace ? temp_path_ : path_; }
    // Where the data goes. Writers use a duplicate of it (dup), so that the
    // lock stays held until commit or discard.
    int descriptor() const { return fd_; }
    // The identity of what is written (the temporary or the direct target).
    FileIdentity identity() const;

    // Writes all of `data` through the descriptor; throws VbError.
    void write(std::string_view data);

    // Replace: syncs the data, checks that the temporary's name still holds
    // this very file, gives it the replaced file's mode and (where permitted)
    // owner and group, renames it over the target, checks the target now
    // names it and syncs the folder. Direct: syncs what the device accepts.
    // Throws VbError; the target is then left as it was (Replace). In a
    // process other than the one that made it, throws and touches nothing.
    void commit();
    // Removes the temporary file now (nothing for Direct, nothing in a
    // process other than the one that made it).
    void discard() noexcept;

private:
    void prepare_replacement(const std::string& folder, const std::string& base);
    void open_direct(const std::string& opened_as);
    void create_temporary();
    void remove_stale_temporaries() const;
    // Throws VbError when the calling process is not the one that made this target.
    void check_owner(const char* doing) const;
    void sync_folder();

    std::string path_;
    std::string base_;       // the target's name in its folder
    std::string temp_name_;  // the temporary's name in the folder
    std::string temp_path_;
    Mode mode_ = Mode::Replace;
    int dir_fd_ = -1;
    int fd_ = -1;
    int signal_slot_ = -1;  // where the temporary is listed for removal on a signal
    pid_t owner_ = 0;       // the process that made this target; only it writes, commits or removes
    bool folder_readable_ = true;  // false: dir_fd_ is a path-only descriptor (a write-only folder)
    bool pending_ = false;  // a temporary exists that commit has not moved into place
};

// Replaces (or writes, for a device or pipe) `path` with `data` through an
// OutputTarget. Throws VbError.
void write_file_safely(const std::string& path, std::string_view data);

// Removes the temporary files of every OutputTarget made by this process (not
// those a fork copied from its parent) that is not committed yet.
// Async-signal-safe: for a signal handler that is about to end the process.
void remove_temporaries_for_signal() noexcept;

}  // namespace prjVireo::files
