#pragma once
// Shared helpers for the tests: temporary files, reading output back, and a
// control with a known writer state.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "vireo/control/vireo.h"
#include "vireo/core/output_files.h"

namespace vireo_test {

inline std::filesystem::path temp_dir() {
    const char* base = std::getenv("VIREO_TEST_TMP");
    std::filesystem::path dir = base ? base : std::filesystem::temp_directory_path() / "vireo-tests";
    std::filesystem::create_directories(dir);
    return dir;
}

// A path unique to this test and call.
inline std::string temp_path(const std::string& suffix = ".837") {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "test";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return (temp_dir() / (name + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + suffix))
        .string();
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// What an operation let reach the host: the number and text of its VbError.
struct Outcome {
    bool raised = false;
    int number = 0;
    std::string message;
};

template <class Fn>
Outcome attempt(Fn&& fn) {
    Outcome o;
    try {
        fn();
    } catch (const prjVireo::VbError& e) {
        o.raised = true;
        o.number = e.number();
        o.message = e.what();
    }
    return o;
}

inline bool mentions(const Outcome& o, const std::string& text) {
    return o.message.find(text) != std::string::npos;
}

// "NNN <message>" of a VbError, or "none".
inline std::string describe(const Outcome& o) {
    return o.raised ? std::to_string(o.number) + " " + o.message : "none";
}

// Resets the calling thread's writer state to what a new thread has.
inline void reset_writer_state() {
    prjVireo::WriterState& ws = prjVireo::writer_state();
    if (ws.file_number) {
        try {
            prjVireo::files::close(ws.file_number);
        } catch (...) {
        }
    }
    ws = prjVireo::WriterState{};
}

// A control with the delimiters "*", ":" and "~", NewLine 0, Annotation off,
// writing to a fresh temporary file.
class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        reset_writer_state();
        ctl = std::make_unique<prjVireo::vireo>();
        ctl->DataElementSeparator("*");
        ctl->SubelementSeparator(":");
        ctl->SegmentTerminator("~");
        path = temp_path();
        ctl->OpenFile(path);
    }
    void TearDown() override {
        ctl.reset();
        reset_writer_state();
    }
    // Closes the file and returns everything written to it.
    std::string output() {
        ctl->CloseFile();
        return read_file(path);
    }

    std::unique_ptr<prjVireo::vireo> ctl;
    std::string path;
};

// Runs `fn` on a new thread and waits for it (rethrowing its failure).
template <class Fn>
void on_new_thread(Fn&& fn) {
    std::exception_ptr error;
    std::thread t([&] {
        try {
            fn();
        } catch (...) {
            error = std::current_exception();
        }
    });
    t.join();
    if (error) std::rethrow_exception(error);
}

// What a program printed and how it ended.
struct ProgramResult {
    int status = -1;  // exit status, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs a program (no shell) with standard input from `input_file` (or
// /dev/null) and returns its exit status and both output streams. Standard
// output is a pipe, or the file `stdout_file` (then `out` stays empty).
inline ProgramResult run_program(const std::vector<std::string>& argv, const std::string& input_file = "/dev/null",
                                 const std::string& stdout_file = "") {
    const std::string err_path = temp_path(".stderr");
    int out[2];
    if (::pipe(out) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open(input_file.c_str(), O_RDONLY);
        const int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int file = stdout_file.empty() ? out[1] : ::open(stdout_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || err < 0 || file < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(file, 1);
        ::dup2(err, 2);
        ::close(out[0]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ProgramResult result;
    char buf[65536];
    ssize_t n;
    while ((n = ::read(out[0], buf, sizeof buf)) > 0) result.out.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.err = read_file(err_path);
    std::filesystem::remove(err_path);
    return result;
}

// Records every BeforeAdd a control raises.
struct EventLog {
    struct Event {
        std::string value;
        std::int32_t count;
    };
    std::vector<Event> events;
    prjVireo::BeforeAddEvent::Connection attach(prjVireo::BeforeAddEvent& e) {
        return e.connect([this](std::string& v, std::int32_t& c, std::int16_t&) { events.push_back({v, c}); });
    }
};

}  // namespace vireo_test
