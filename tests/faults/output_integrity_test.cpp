// Where `vireo run` puts the claims, and what it never does: write through a
// link that another user swapped in for its temporary file, replace a device,
// a pipe, a link or the script itself, take a live run's temporary for a dead
// one, leave a temporary behind when interrupted, or create a file that
// others may read.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "fault_support.h"
#include "vireo/core/output_target.h"
#include "vireo/tools/runner/script_runner.h"

namespace fs = std::filesystem;

// ---- another user's move between two of the writer's own calls ----
//
// This test program defines openat, open and fsync itself, so the writer's
// calls reach these first: when armed, one of them does what a user who may
// write the output folder can do at that moment, swapping the run's temporary
// file for a symbolic link to a file the attacker wants the claims in, and
// then lets the real call go on. The moment is chosen, not timed.

namespace {

enum class Swap { None, AfterCreate, AtSync };
std::atomic<Swap> g_swap{Swap::None};
std::atomic<int> g_syncs_to_pass{0};  // AtSync: syncs of the temporary let through before the swap
std::string g_temporary_prefix;  // names of the run's temporaries start so
std::string g_victim;            // where the link points

template <class Fn>
Fn next_definition(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

std::string path_of_descriptor(int fd) {
    char buf[4096];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

void swap_if_temporary(Swap moment, const std::string& path) {
    if (g_swap.load() != moment || fs::path(path).filename().string().rfind(g_temporary_prefix, 0) != 0) return;
    g_swap = Swap::None;
    ::unlink(path.c_str());
    ::symlink(g_victim.c_str(), path.c_str());
}

void after_exclusive_create(int dirfd, const char* path) {
    if (g_swap.load() != Swap::AfterCreate) return;
    std::string full = path;
    if (dirfd != AT_FDCWD && path[0] != '/') full = path_of_descriptor(dirfd) + "/" + path;
    swap_if_temporary(Swap::AfterCreate, full);
}

}  // namespace

extern "C" int openat(int dirfd, const char* path, int flags, ...) {
    int mode = 0;
    if (flags & O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, int);
        va_end(args);
    }
    static const auto real = next_definition<int (*)(int, const char*, int, ...)>("openat");
    const int fd = real(dirfd, path, flags, mode);
    if (fd >= 0 && (flags & O_CREAT) && (flags & O_EXCL)) after_exclusive_create(dirfd, path);
    return fd;
}

extern "C" int open(const char* path, int flags, ...) {
    int mode = 0;
    if (flags & O_CREAT) {
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, int);
        va_end(args);
    }
    static const auto real = next_definition<int (*)(const char*, int, ...)>("open");
    const int fd = real(path, flags, mode);
    if (fd >= 0 && (flags & O_CREAT) && (flags & O_EXCL)) after_exclusive_create(AT_FDCWD, path);
    return fd;
}

extern "C" int fsync(int fd) {
    static const auto real = next_definition<int (*)(int)>("fsync");
    if (g_swap.load() == Swap::AtSync) {
        const std::string path = path_of_descriptor(fd);
        if (fs::path(path).filename().string().rfind(g_temporary_prefix, 0) == 0 && g_syncs_to_pass-- == 0) {
            swap_if_temporary(Swap::AtSync, path);
        }
    }
    return real(fd);
}

namespace {

using prjVireo::files::temporary_prefix;
using vireo_fault::fresh_dir;
using vireo_fault::kOld;
using vireo_fault::temporaries;
using vireo_fault::write_old;

std::string script_text() { return vireo_test::read_file(VIREO_EXAMPLES_DIR "/minimal.json"); }

// The bytes the example script writes, from a plain run into a new file.
const std::string& expected_bytes() {
    static const std::string bytes = [] {
        const std::string path = vireo_test::temp_path(".reference");
        vireo_runner::RunOptions options;
        options.output = path;
        std::ostringstream err;
        vireo_runner::run_script(script_text(), options, err);
        return vireo_test::read_file(path);
    }();
    return bytes;
}

mode_t kind_of(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

using CommandRun = vireo_test::ProgramResult;

// Runs the vireo command with `args`: standard output is a pipe, or the file
// `stdout_file`; standard input is /dev/null.
CommandRun run_vireo(std::vector<std::string> args, const std::string& stdout_file = "") {
    args.insert(args.begin(), VIREO_COMMAND);
    return vireo_test::run_program(args, "/dev/null", stdout_file);
}

// ---- output targets ----

// The summary of a run of the example script that wrote `name`: exact but for
// the time it took.
void expect_summary(const std::string& printed, const std::string& name) {
    const std::string counts =
        "wrote " + name + ": 38 steps, 28 segments, " + std::to_string(expected_bytes().size()) + " bytes in ";
    ASSERT_EQ(printed.substr(0, counts.size()), counts) << printed;
    const std::regex timing(R"([0-9]+\.[0-9]{2} s \([0-9]+\.[0-9] MB/s of script\)\n)");
    EXPECT_TRUE(std::regex_match(printed.substr(counts.size()), timing)) << printed;
}

struct TargetCase {
    const char* name;
    // Makes the target in `dir` (the script is dir/script.json) and returns
    // OUTPUT; sets `skip` when this machine cannot make it.
    std::function<std::string(const std::string& dir, std::string& skip)> make;
    bool stdout_to_file;  // standard output goes to dir/stdout.txt instead of a pipe
    int status;
    // What became of the target, the script and what was printed.
    std::function<void(const std::string& dir, const std::string& output, const CommandRun&)> check;
};

int g_fifo_reader = -1;  // the reading end of the FIFO case, open before the run

const TargetCase kTargets[] = {
    {"new_file", [](const std::string& dir, std::string&) { return dir + "/claims.837"; }, false, 0,
     [](const std::string&, const std::string& output, const CommandRun& r) {
         EXPECT_TRUE(vireo_test::read_file(output) == expected_bytes());
         struct stat st {};
         ASSERT_EQ(::stat(output.c_str(), &st), 0);
         EXPECT_EQ(st.st_mode & 07777, 0600u);
         expect_summary(r.out, output);
     }},
    {"file_of_another_owner_keeps_owner_group_and_mode",
     [](const std::string& dir, std::string& skip) {
         const std::string path = write_old(dir + "/claims.837");
         if (::geteuid() != 0) skip = "only root can give a file to another user";
         ::chown(path.c_str(), 65534, 65534);
         ::chmod(path.c_str(), 0640);
         return path;
     },
     false, 0,
     [](const std::string&, const std::string& output, const CommandRun&) {
         EXPECT_TRUE(vireo_test::read_file(output) == expected_bytes());
         struct stat st {};
         ASSERT_EQ(::stat(output.c_str(), &st), 0);
         EXPECT_EQ(st.st_uid, 65534u);
         EXPECT_EQ(st.st_gid, 65534u);
         EXPECT_EQ(st.st_mode & 07777, 0640u);
     }},
    {"fifo_is_written_not_replaced",
     [](const std::string& dir, std::string&) {
         const std::string path = dir + "/claims.fifo";
         ::mkfifo(path.c_str(), 0600);
         g_fifo_reader = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);  // a reader is there
         return path;
     },
     false, 0,
     [](const std::string&, const std::string& output, const CommandRun&) {
         std::string got;
         char buf[65536];
         ssize_t n;
         while ((n = ::read(g_fifo_reader, buf, sizeof buf)) > 0) got.append(buf, static_cast<std::size_t>(n));
         ::close(g_fifo_reader);
         EXPECT_TRUE(got == expected_bytes()) << got.size() << " bytes";
         EXPECT_EQ(kind_of(output), static_cast<mode_t>(S_IFIFO));
     }},
    {"character_device_is_written_not_replaced",
     [](const std::string& dir, std::string& skip) {
         const std::string path = dir + "/null";
         if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) skip = "cannot make a device node here";
         return path;
     },
     false, 0,
     [](const std::string&, const std::string& output, const CommandRun&) {
         EXPECT_EQ(kind_of(output), static_cast<mode_t>(S_IFCHR));
     }},
    {"block_device_is_refused",
     [](const std::string& dir, std::string& skip) {
         const std::string path = dir + "/disk";
         if (::mknod(path.c_str(), S_IFBLK | 0600, makedev(7, 200)) != 0) skip = "cannot make a device node here";
         return path;
     },
     false, 1,
     [](const std::string&, const std::string& output, const CommandRun& r) {
         EXPECT_NE(r.err.find("is a block device"), std::string::npos) << r.err;
         EXPECT_EQ(kind_of(output), static_cast<mode_t>(S_IFBLK));
     }},
    {"dash_is_standard_output", [](const std::string&, std::string&) { return std::string("-"); }, false, 0,
     [](const std::string& dir, const std::string&, const CommandRun& r) {
         EXPECT_TRUE(r.out == expected_bytes()) << r.out;  // the 837 and nothing else
         EXPECT_FALSE(fs::exists(dir + "/-"));
         expect_summary(r.err, "standard output");
     }},
    {"link_to_standard_output_that_is_a_pipe",
     [](const std::string& dir, std::string&) {
         ::symlink("/proc/self/fd/1", (dir + "/stdout").c_str());
         return dir + "/stdout";
     },
     false, 0,
     [](const std::string&, const std::string& output, const CommandRun& r) {
         EXPECT_TRUE(r.out == expected_bytes()) << r.out;
         EXPECT_EQ(kind_of(output), static_cast<mode_t>(S_IFLNK));
         expect_summary(r.err, output);
     }},
    {"link_to_standard_output_that_is_a_file",
     [](const std::string& dir, std::string&) {
         ::symlink("/proc/self/fd/1", (dir + "/stdout").c_str());
         return dir + "/stdout";
     },
     true, 0,
     [](const std::string& dir, const std::string& output, const CommandRun& r) {
         EXPECT_TRUE(vireo_test::read_file(dir + "/stdout.txt") == expected_bytes());
         EXPECT_EQ(kind_of(output), static_cast<mode_t>(S_IFLNK));
         expect_summary(r.err, output);
     }},
    {"the_script_itself", [](const std::string& dir, std::string&) { return dir + "/script.json"; }, false, 1,
     [](const std::string& dir, const std::string&, const CommandRun& r) {
         EXPECT_NE(r.err.find("is the script itself; nothing was written"), std::string::npos) << r.err;
         EXPECT_EQ(vireo_test::read_file(dir + "/script.json"), script_text());
     }},
    {"the_script_under_another_name",
     [](const std::string& dir, std::string&) {
         ::link((dir + "/script.json").c_str(), (dir + "/alias.json").c_str());
         return dir + "/../" + fs::path(dir).filename().string() + "/alias.json";
     },
     false, 1,
     [](const std::string& dir, const std::string&, const CommandRun& r) {
         EXPECT_NE(r.err.find("is the script itself"), std::string::npos) << r.err;
         EXPECT_EQ(vireo_test::read_file(dir + "/script.json"), script_text());
     }},
    {"link_to_a_file_is_not_followed",
     [](const std::string& dir, std::string&) {
         write_old(dir + "/victim.837");
         ::symlink((dir + "/victim.837").c_str(), (dir + "/claims.837").c_str());
         return dir + "/claims.837";
     },
     false, 1,
     [](const std::string& dir, const std::string& output, const CommandRun& r) {
         EXPECT_NE(r.err.find("is a symbolic link to \"" + fs::canonical(dir).string() + "/victim.837\""),
                   std::string::npos)
             << r.err;
         EXPECT_EQ(vireo_test::read_file(dir + "/victim.837"), kOld);
         EXPECT_EQ(kind_of(output), static_cast<mode_t>(S_IFLNK));
     }},
};

class OutputTargets : public ::testing::TestWithParam<TargetCase> {};

TEST_P(OutputTargets, AreWrittenReplacedOrRefusedAsTheirKindRequires) {
    const TargetCase& c = GetParam();
    const std::string dir = fresh_dir("targets");
    std::ofstream(dir + "/script.json") << script_text();
    std::string skip;
    const std::string output = c.make(dir, skip);
    if (!skip.empty()) GTEST_SKIP() << skip;
    const CommandRun r =
        run_vireo({"run", dir + "/script.json", "-o", output}, c.stdout_to_file ? dir + "/stdout.txt" : "");
    EXPECT_EQ(r.status, c.status) << r.err;
    c.check(dir, output, r);
    EXPECT_TRUE(temporaries(dir, fs::path(output).filename().string()).empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, OutputTargets, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the temporary file swapped for a link by another user ----

struct SwapCase {
    const char* name;
    Swap moment;
    int syncs_to_pass;
    int status;
    bool replaced;  // OUTPUT holds the new claims afterwards (else its old contents)
    const char* message;
};

class TemporarySwapped : public ::testing::TestWithParam<SwapCase> {};

TEST_P(TemporarySwapped, NeverSendsTheClaimsThroughTheLink) {
    const SwapCase& c = GetParam();
    expected_bytes();
    const std::string dir = fresh_dir("swap");
    const std::string output = write_old(dir + "/claims.837");
    g_victim = write_old(dir + "/victim");
    g_temporary_prefix = temporary_prefix("claims.837");
    g_syncs_to_pass = c.syncs_to_pass;
    g_swap = c.moment;
    vireo_runner::RunOptions options;
    options.output = output;
    std::ostringstream err;
    const int status = vireo_runner::run_script(script_text(), options, err).exit_status;
    EXPECT_EQ(g_swap.load(), Swap::None) << "the moment never came";
    g_swap = Swap::None;

    EXPECT_EQ(status, c.status) << err.str();
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_EQ(vireo_test::read_file(g_victim), kOld);
    EXPECT_EQ(kind_of(output), static_cast<mode_t>(S_IFREG));
    EXPECT_TRUE(vireo_test::read_file(output) == (c.replaced ? expected_bytes() : kOld));
    // The planted link is the attacker's: it stays as it is, pointing where it did.
    const auto left = temporaries(dir, "claims.837");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(fs::read_symlink(left[0]).string(), g_victim);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, TemporarySwapped,
    ::testing::Values(
        // Caught at once: the name is given up for another, and the run goes on.
        SwapCase{"right_after_it_was_created", Swap::AfterCreate, 0, 0, true, ""},
        // While CloseFile syncs the claims: the file has lost its name, and says so.
        SwapCase{"while_the_claims_are_synced", Swap::AtSync, 0, 1, false, "was removed while open"},
        // Between CloseFile and the rename: the name no longer holds the file written.
        SwapCase{"just_before_the_rename", Swap::AtSync, 1, 1, false, "was replaced or removed by someone else"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- temporaries left in the folder ----

// A pid that no process of this namespace has now.
pid_t dead_pid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

struct Leftover {
    const char* name;
    std::function<std::string(const std::string& dir, int& lock_holder)> make;  // returns its path
    bool kept;
};

TEST(Leftovers, OnlyTemporariesThatNobodyHoldsAreRemoved) {
    const std::string dir = fresh_dir("leftovers");
    const std::string prefix = dir + "/" + temporary_prefix("claims.837");
    const auto plain = [](const std::string& path) {
        std::ofstream(path) << "partial claims";
        return path;
    };
    const Leftover leftovers[] = {
        // A live run elsewhere (another PID namespace, sharing the folder): its
        // pid means nothing here, its lock does.
        {"live_run_in_another_pid_namespace",
         [&](const std::string&, int& holder) {
             const std::string path = plain(prefix + std::to_string(dead_pid()));
             holder = ::open(path.c_str(), O_RDONLY);
             ::flock(holder, LOCK_EX);
             return path;
         },
         true},
        {"killed_run", [&](const std::string&, int&) { return plain(prefix + std::to_string(dead_pid()) + "-2"); },
         false},
        // A crashed run whose pid another process has now.
        {"crashed_run_whose_pid_is_in_use",
         [&](const std::string&, int&) { return plain(prefix + std::to_string(::getppid())); }, false},
        {"link_planted_at_a_temporary_name",
         [&](const std::string& d, int&) {
             const std::string path = prefix + std::to_string(dead_pid());
             ::symlink(plain(d + "/victim").c_str(), path.c_str());
             return path;
         },
         true},
        {"temporary_of_another_output",
         [&](const std::string& d, int&) { return plain(d + "/" + temporary_prefix("other.837") + "1"); }, true},
        {"not_a_temporary_name", [&](const std::string&, int&) { return plain(prefix + "12x"); }, true},
    };
    std::vector<std::string> paths;
    std::vector<int> holders;
    for (const Leftover& l : leftovers) {
        int holder = -1;
        paths.push_back(l.make(dir, holder));
        holders.push_back(holder);
    }
    vireo_runner::RunOptions options;
    options.output = dir + "/claims.837";
    std::ostringstream err;
    ASSERT_EQ(vireo_runner::run_script(script_text(), options, err).exit_status, 0) << err.str();
    for (std::size_t i = 0; i < std::size(leftovers); ++i) {
        SCOPED_TRACE(leftovers[i].name);
        EXPECT_EQ(fs::exists(fs::symlink_status(paths[i])), leftovers[i].kept);
        if (holders[i] >= 0) ::close(holders[i]);
    }
    EXPECT_EQ(vireo_test::read_file(dir + "/victim"), "partial claims");
}

// ---- interrupted runs and umasks ----

struct InterruptCase {
    const char* name;
    int signal;        // sent in the middle of the run; 0 lets it finish
    mode_t umask;
    bool as_nobody;    // the run gives up root for "nobody" first
    int status;
};

// A script long enough that the run is still reading it when the signal comes.
std::string script_head(int steps) {
    std::string s = "{\"steps\": [{\"set\": {\"NewLine\": 1}}";
    for (int i = 0; i < steps; ++i) {
        s += ", {\"L1_ST_00_TransSetHeader\": {\"m01_TransSetIdentCode\": \"837\", \"m02_TransSetControlNum\": \"" +
             std::to_string(i) + "\"}}";
    }
    return s;
}

std::string st_lines(int steps) {
    std::string s;
    for (int i = 0; i < steps; ++i) s += "ST*837*" + std::to_string(i) + "~\n";
    return s;
}

void write_all(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

class Interrupted : public ::testing::TestWithParam<InterruptCase> {};

TEST_P(Interrupted, LeavesNoTemporaryAndNewFilesArePrivate) {
    const InterruptCase& c = GetParam();
    if (c.as_nobody && ::geteuid() != 0) GTEST_SKIP() << "becoming another user needs root";
    const std::string dir = fresh_dir("interrupted");
    ::chmod(dir.c_str(), 0777);
    const std::string output = dir + "/claims.837";
    if (c.signal) write_old(output);
    constexpr int kSteps = 3000;  // several times the 64 KiB the run reads at once
    const std::string head = script_head(kSteps);

    int in[2];
    ASSERT_EQ(::pipe(in), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::umask(c.umask);
        if (c.as_nobody) {
            if (!vireo_fault::become_nobody()) ::_exit(77);
            if (::access(dir.c_str(), W_OK | X_OK) != 0 || ::access(VIREO_COMMAND, X_OK) != 0) ::_exit(77);
        }
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(in[0], 0);
        ::dup2(null, 1);
        ::close(in[1]);
        ::execl(VIREO_COMMAND, "vireo", "run", "-", "-o", output.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    ::signal(SIGPIPE, SIG_IGN);
    write_all(in[1], head);
    if (c.signal) {
        // The run is under way once its temporary file exists.
        for (int i = 0; i < 3000 && temporaries(dir, "claims.837").empty(); ++i) ::usleep(10000);
        ASSERT_FALSE(temporaries(dir, "claims.837").empty()) << "the run never started writing";
        ::kill(pid, c.signal);
    } else {
        write_all(in[1], "]}");
    }
    ::close(in[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "nobody cannot reach the test folder";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    EXPECT_TRUE(temporaries(dir, "claims.837").empty());
    if (c.signal) {
        EXPECT_EQ(vireo_test::read_file(output), kOld);
        return;
    }
    struct stat st {};
    ASSERT_EQ(::stat(output.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_TRUE(vireo_test::read_file(output) == st_lines(kSteps));
}

INSTANTIATE_TEST_SUITE_P(Cases, Interrupted,
                         ::testing::Values(InterruptCase{"sigterm", SIGTERM, 022, false, 128 + SIGTERM},
                                           InterruptCase{"sigint", SIGINT, 022, false, 128 + SIGINT},
                                           InterruptCase{"sighup", SIGHUP, 022, false, 128 + SIGHUP},
                                           InterruptCase{"umask_777", 0, 0777, false, 0},
                                           InterruptCase{"umask_777_as_nobody", 0, 0777, true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
