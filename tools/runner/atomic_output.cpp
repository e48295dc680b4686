#include "vireo/tools/runner/atomic_output.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vireo_runner {
namespace {

std::string error_text(int err) { return std::strerror(err); }

// Splits "dir/name" into "dir" ("." when there is none) and "name".
void split_path(const std::string& path, std::string& dir, std::string& base) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        dir = ".";
        base = path;
    } else {
        dir = slash == 0 ? "/" : path.substr(0, slash);
        base = path.substr(slash + 1);
    }
}

// The pid a temporary file name carries after the prefix ("123" or "123-2"), or 0.
pid_t pid_in_name(const char* rest) {
    if (!*rest) return 0;
    long pid = 0;
    const char* p = rest;
    for (; *p >= '0' && *p <= '9'; ++p) {
        pid = pid * 10 + (*p - '0');
        if (pid > 0x7fffffff) return 0;
    }
    if (p == rest || (*p && *p != '-')) return 0;
    if (*p == '-') {
        const char* q = p + 1;
        if (!*q) return 0;
        for (; *q; ++q) {
            if (*q < '0' || *q > '9') return 0;
        }
    }
    return static_cast<pid_t>(pid);
}

// A process that exists and has not yet ended; a killed run whose parent has
// not collected it yet (a zombie) counts as ended.
bool process_alive(pid_t pid) {
    if (::kill(pid, 0) != 0 && errno != EPERM) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const auto paren = line.rfind(')');
    if (paren == std::string::npos || paren + 2 >= line.size()) return true;
    const char state = line[paren + 2];
    return state != 'Z' && state != 'X';
}

// Removes the temporary files of runs for the same output whose process is gone.
void remove_stale_temps(const std::string& dir, const std::string& base) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    const std::string prefix = temp_prefix(base);
    while (const dirent* e = ::readdir(d)) {
        if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) != 0) continue;
        const pid_t pid = pid_in_name(e->d_name + prefix.size());
        if (pid <= 0 || process_alive(pid)) continue;
        const std::string path = dir + "/" + e->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
    }
    ::closedir(d);
}

}  // namespace

std::string temp_prefix(const std::string& base) { return "." + base + ".vireo-tmp-"; }

AtomicOutput::AtomicOutput(std::string final_path) : final_path_(std::move(final_path)) {
    if (final_path_.empty()) throw RunError("no output file given");
    std::string base;
    split_path(final_path_, dir_, base);
    if (base.empty() || base == "." || base == "..") {
        throw RunError("output \"" + final_path_ + "\" is not a file name");
    }
    struct stat st {};
    if (::stat(final_path_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) throw RunError("output \"" + final_path_ + "\" is a directory");
        if (::access(final_path_.c_str(), W_OK) != 0) {
            throw RunError("cannot write output \"" + final_path_ + "\": " + error_text(errno));
        }
    }
    remove_stale_temps(dir_, base);
    const std::string stem = dir_ + "/" + temp_prefix(base) + std::to_string(::getpid());
    // Another run of this process for the same output gets the next free suffix.
    for (int attempt = 1; attempt <= 1000; ++attempt) {
        const std::string candidate = attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            temp_path_ = candidate;
            pending_ = true;
            return;
        }
        if (errno != EEXIST) {
            throw RunError("cannot write output \"" + final_path_ + "\": cannot create a file in \"" + dir_ +
                           "\": " + error_text(errno));
        }
    }
    throw RunError("cannot write output \"" + final_path_ + "\": too many runs for it at once");
}

AtomicOutput::~AtomicOutput() { discard(); }

void AtomicOutput::discard() noexcept {
    if (!pending_) return;
    ::unlink(temp_path_.c_str());
    pending_ = false;
}

void AtomicOutput::commit() {
    struct stat st {};
    if (::stat(final_path_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        // Replacing a file keeps its permissions; a new file stays private to its owner.
        ::chmod(temp_path_.c_str(), st.st_mode & 07777);
    }
    if (::rename(temp_path_.c_str(), final_path_.c_str()) != 0) {
        throw RunError("cannot write output \"" + final_path_ + "\": " + error_text(errno));
    }
    pending_ = false;
    const int dfd = ::open(dir_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) throw RunError("cannot sync the directory of \"" + final_path_ + "\": " + error_text(errno));
    const int rc = ::fsync(dfd);
    const int err = errno;
    ::close(dfd);
    if (rc != 0) throw RunError("cannot sync the directory of \"" + final_path_ + "\": " + error_text(err));
}

}  // namespace vireo_runner
