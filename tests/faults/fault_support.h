#pragma once
// Helpers for the fault tests: run a piece of work in a child process with its
// own limits, folders and files to run against, and a control with known
// delimiters and no file open yet (what reached the host: attempt() of
// test_support.h).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"
#include "vireo/core/output_target.h"

namespace vireo_fault {

using vireo_test::attempt;
using vireo_test::describe;
using vireo_test::mentions;
using vireo_test::Outcome;

// Runs `work` in a forked child (so that resource limits and signal settings
// stay there) and returns the text it produced. The child must not throw.
inline std::string in_child(const std::function<std::string()>& work) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string report;
        try {
            report = work();
        } catch (const std::exception& e) {
            report = std::string("child threw: ") + e.what();
        }
        std::size_t off = 0;
        while (off < report.size()) {
            ssize_t w = ::write(fds[1], report.data() + off, report.size() - off);
            if (w <= 0) break;
            off += static_cast<std::size_t>(w);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string report;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0) report.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += " [child died]";
    return report;
}

// A new, empty folder of this test.
inline std::string fresh_dir(const std::string& what) {
    const std::string dir = vireo_test::temp_path("." + what);
    std::filesystem::create_directories(dir);
    return dir;
}

// What an output held before a run that must leave it alone.
inline const std::string kOld = "the claims of yesterday\n";

inline std::string write_old(const std::string& path) {
    std::ofstream(path, std::ios::trunc) << kOld;
    return path;
}

// The temporary files in `dir` of a run writing the output named `base`.
inline std::vector<std::string> temporaries(const std::string& dir, const std::string& base) {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (e.path().filename().string().rfind(prjVireo::files::temporary_prefix(base), 0) == 0) {
            found.push_back(e.path().string());
        }
    }
    return found;
}

// Gives up root for "nobody" (in a child: for good); false when that fails.
inline bool become_nobody() { return ::setgid(65534) == 0 && ::setuid(65534) == 0; }

// A control with "*", ":" and "~" on a fresh writer state, no file open.
class FaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        vireo_test::reset_writer_state();
        ctl = std::make_unique<prjVireo::vireo>();
        ctl->DataElementSeparator("*");
        ctl->SubelementSeparator(":");
        ctl->SegmentTerminator("~");
    }
    void TearDown() override {
        ctl.reset();
        for (int n = prjVireo::files::kFirstNumber; n <= prjVireo::files::kLastNumber; ++n) {
            try {
                prjVireo::files::close(static_cast<std::int16_t>(n));
            } catch (...) {
            }
        }
        vireo_test::reset_writer_state();
    }
    void trap(bool on) { ctl->ErrorTrap(on ? -1 : 0); }
    Outcome open(std::string path) {
        return attempt([&] { ctl->OpenFile(path); });
    }
    // ST with the given control number; returns the outcome of its Additem.
    Outcome add_st(const std::string& number = "0001") {
        auto st = ctl->L1_ST_00_TransSetHeader();
        st->m01_TransSetIdentCode = prjVireo::L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
        st->m02_TransSetControlNum = number;
        return attempt([&] { st->Additem(); });
    }
    std::int32_t count() const { return prjVireo::writer_state().segment_count; }

    std::unique_ptr<prjVireo::vireo> ctl;
};

}  // namespace vireo_fault
