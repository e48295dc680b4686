// What a run tells about itself: the counts in its result, the progress it
// reports while it runs, the summary vireo run prints, and the progress line
// it draws only on a terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "vireo/tools/runner/script_runner.h"

namespace {

using vireo_runner::RunOptions;
using vireo_runner::RunProgress;
using vireo_runner::RunResult;
using vireo_test::read_file;
using vireo_test::temp_path;

// One LX segment per line; with NewLine 0 each writes "LX*1~".
const std::string kLxLine = "{\"L2400_LX_00_SvcLine\": {\"m01_AssignedNum\": \"1\"}}\n";
constexpr std::uint64_t kLxBytes = 5;

std::string lx_lines(std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) text += kLxLine;
    return text;
}

// ---- the texts ----

TEST(RunReport, SummaryText) {
    struct Case {
        const char* name;
        RunResult result;
        const char* text;
    };
    auto result = [](std::string output, std::uint64_t steps, std::uint64_t segments, std::uint64_t bytes,
                     std::uint64_t script, double seconds) {
        RunResult r;
        r.output = std::move(output);
        r.steps = steps;
        r.segments = segments;
        r.output_bytes = bytes;
        r.script_bytes = script;
        r.seconds = seconds;
        return r;
    };
    const Case cases[] = {
        {"file", result("claims.837", 1234, 5678, 456789, 5166000, 0.42),
         "wrote claims.837: 1234 steps, 5678 segments, 456789 bytes in 0.42 s (12.3 MB/s of script)"},
        {"standard_output", result("-", 38, 28, 818, 2000, 0.001),
         "wrote standard output: 38 steps, 28 segments, 818 bytes in 0.00 s (2.0 MB/s of script)"},
        // No clock is that fast: the rate stays finite.
        {"no_time", result("a.837", 1, 1, 5, 3000000, 0), "wrote a.837: 1 steps, 1 segments, 5 bytes in 0.00 s "
                                                          "(3000000.0 MB/s of script)"},
        // A name that could drive the terminal is quoted with its controls escaped.
        {"control_characters", result("a\x1b[2J\x9b\u0085é.837", 1, 1, 5, 1000000, 1),
         "wrote \"a\\u001b[2J\\u009b\\u0085é.837\": 1 steps, 1 segments, 5 bytes in 1.00 s (1.0 MB/s of script)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vireo_runner::summary_text(c.result), c.text);
    }
}

TEST(RunReport, ProgressText) {
    RunProgress p;
    p.steps = 1200000;
    p.segments = 1199990;
    p.script_bytes = 210000000;
    p.output_bytes = 27960000;
    p.seconds = 2.0;
    EXPECT_EQ(vireo_runner::progress_text(p),
              "1200000 steps, 1199990 segments, 28.0 MB written, 105.0 MB/s of script, 2.0 s");
}

// ---- the result and the progress hook ----

TEST(RunReport, ResultCountsSegmentsAndBytes) {
    const std::string path = temp_path();
    RunOptions options;
    options.output = path;
    std::ostringstream err;
    // Two settings, three segments: settings are steps but write nothing.
    const std::string script = "{\"set\": {\"NewLine\": 1}}\n" + kLxLine + "{\"set\": {\"SegCount\": \"0\"}}\n" +
                               kLxLine + kLxLine;
    const RunResult r = vireo_runner::run_script(script, options, err);
    ASSERT_EQ(r.exit_status, 0) << err.str();
    EXPECT_EQ(r.steps, 5u);
    EXPECT_EQ(r.segments, 3u);
    EXPECT_EQ(read_file(path), "LX*1~\nLX*1~\nLX*1~\n");
    EXPECT_EQ(r.output_bytes, 18u);
    EXPECT_EQ(r.script_bytes, script.size());
    EXPECT_GE(r.seconds, 0.0);
}

TEST(RunReport, ProgressIsReportedEveryStrideOfSteps) {
    struct Case {
        const char* name;
        double interval;
        std::vector<std::uint64_t> steps;  // the steps of every report
    };
    const std::uint64_t n = vireo_runner::kProgressStride;
    const Case cases[] = {
        {"every_stride", 0, {n, 2 * n, 3 * n}},
        {"interval_never_reached", 1e9, {}},
    };
    const std::string script = lx_lines(3 * n + 5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<RunProgress> reports;
        RunOptions options;
        options.output = temp_path();
        options.progress_interval = c.interval;
        options.progress = [&](const RunProgress& p) { reports.push_back(p); };
        std::ostringstream err;
        const RunResult r = vireo_runner::run_script(script, options, err);
        ASSERT_EQ(r.exit_status, 0) << err.str();
        EXPECT_EQ(r.segments, 3 * n + 5);
        EXPECT_EQ(r.output_bytes, (3 * n + 5) * kLxBytes);
        std::vector<std::uint64_t> steps;
        for (const RunProgress& p : reports) {
            steps.push_back(p.steps);
            EXPECT_EQ(p.segments, p.steps);
            EXPECT_EQ(p.output_bytes, p.steps * kLxBytes);  // buffered bytes count
            EXPECT_GE(p.script_bytes, p.steps * kLxLine.size());
            EXPECT_LE(p.script_bytes, script.size());
        }
        EXPECT_EQ(steps, c.steps);
    }
}

// ---- the command ----

// vireo run reading a JSON Lines script from a pipe that the test feeds batch
// after batch, with standard error on a pseudo-terminal or on a pipe.
struct FedRun {
    int status = -1;
    std::string out, err;
    std::uint64_t steps = 0;
};

constexpr std::size_t kBatch = 5000;

void read_available(int fd, std::string& into) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) return;  // EAGAIN, or EIO once a terminal's other side is closed
        into.append(buf, static_cast<std::size_t>(n));
    }
}

// Feeds batches until `enough` says so (it sees what standard error holds).
template <class Enough>
FedRun run_fed(const std::vector<std::string>& extra, bool terminal, const Enough& enough) {
    int in[2], err[2];
    if (::pipe(in) != 0) throw std::runtime_error("pipe");
    if (terminal) {
        err[0] = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (err[0] < 0 || ::grantpt(err[0]) != 0 || ::unlockpt(err[0]) != 0) throw std::runtime_error("no pty");
        err[1] = ::open(::ptsname(err[0]), O_RDWR | O_NOCTTY);
    } else if (::pipe(err) != 0) {
        throw std::runtime_error("pipe");
    }
    const std::string output = temp_path();
    const std::string out_path = temp_path(".stdout");
    std::vector<std::string> argv = {VIREO_BIN, "run", "-", "-o", output};
    argv.insert(argv.end(), extra.begin(), extra.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in[0], 0);
        ::dup2(out, 1);
        ::dup2(err[1], 2);
        ::close(in[1]);
        ::close(err[0]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(err[1]);
    ::fcntl(err[0], F_SETFL, ::fcntl(err[0], F_GETFL) | O_NONBLOCK);
    FedRun run;
    const std::string batch = lx_lines(kBatch);
    for (int sent = 0; !enough(run.err, sent); ++sent) {
        if (::write(in[1], batch.data(), batch.size()) != static_cast<ssize_t>(batch.size())) break;
        run.steps += kBatch;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        read_available(err[0], run.err);
    }
    ::close(in[1]);
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
    ::fcntl(err[0], F_SETFL, ::fcntl(err[0], F_GETFL) & ~O_NONBLOCK);
    read_available(err[0], run.err);
    ::close(err[0]);
    run.out = read_file(out_path);
    EXPECT_EQ(read_file(output).size(), run.steps * kLxBytes);
    return run;
}

std::string summary_of(std::uint64_t steps) {
    return "wrote .*: " + std::to_string(steps) + " steps, " + std::to_string(steps) + " segments, " +
           std::to_string(steps * kLxBytes) + R"( bytes in [0-9]+\.[0-9]{2} s \([0-9]+\.[0-9] MB/s of script\)\n)";
}

TEST(RunCommandProgress, DrawnOnATerminalAndClearedBeforeTheSummary) {
    // Batches go on until a progress line has been drawn (at most 30 s of them).
    const FedRun r = run_fed({}, true, [](const std::string& err, int sent) {
        return (sent > 0 && err.find('\r') != std::string::npos) || sent >= 600;
    });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::regex_match(r.out, std::regex(summary_of(r.steps)))) << r.out;
    // Every drawing is a whole line drawn over the last one; the last clears it.
    const std::regex drawn(R"(\r([0-9]+) steps, ([0-9]+) segments, ([0-9]+\.[0-9]) MB written, [0-9]+\.[0-9] MB/s of )"
                           R"(script, [0-9]+\.[0-9] s\x1b\[K)");
    std::string rest = r.err;
    std::smatch m;
    int lines = 0;
    while (std::regex_search(rest, m, drawn, std::regex_constants::match_continuous)) {
        ++lines;
        const std::uint64_t steps = std::stoull(m[1].str());
        EXPECT_EQ(steps % vireo_runner::kProgressStride, 0u) << m[0];
        EXPECT_EQ(m[2].str(), m[1].str());
        char mb[32];
        std::snprintf(mb, sizeof mb, "%.1f", static_cast<double>(steps * kLxBytes) / 1e6);
        EXPECT_EQ(m[3].str(), mb);
        rest = m.suffix();
    }
    EXPECT_GE(lines, 1) << r.err;
    EXPECT_EQ(rest, "\r\x1b[K");
}

TEST(RunCommandProgress, NotDrawnOffATerminalNorWhenQuiet) {
    struct Case {
        const char* name;
        bool terminal;
        std::vector<std::string> extra;
        bool summary;
    };
    const Case cases[] = {
        {"standard_error_on_a_pipe", false, {}, true},
        {"quiet_on_a_terminal", true, {"--quiet"}, false},
        {"q_on_a_pipe", false, {"-q"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Twelve batches 50 ms apart: long enough for several progress lines.
        const FedRun r = run_fed(c.extra, c.terminal, [](const std::string&, int sent) { return sent >= 12; });
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        if (c.summary) {
            EXPECT_TRUE(std::regex_match(r.out, std::regex(summary_of(r.steps)))) << r.out;
        } else {
            EXPECT_EQ(r.out, "");
        }
    }
}

// The summary is printed once OUTPUT is in place. When it cannot be (standard
// output full or closed), the status is 3, not the 1 that says OUTPUT was left
// as it was, and standard error says what happened.
TEST(RunCommandSummary, UnwritableSummaryIsStatus3WithOutputWritten) {
    const std::string script = temp_path(".jsonl");
    std::ofstream(script, std::ios::binary) << lx_lines(2);
    struct Case {
        const char* name;
        const char* redirection;
        const char* reason;
    } cases[] = {
        {"full", "> /dev/full", "No space left on device"},
        {"closed", ">&-", "Bad file descriptor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = temp_path();
        const std::string errors = temp_path(".stderr");
        std::ofstream(output, std::ios::binary) << "claims of an earlier run";
        const std::string command = "'" + std::string(VIREO_BIN) + "' run '" + script + "' -o '" + output + "' " +
                                    c.redirection + " 2> '" + errors + "'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 3);
        EXPECT_EQ(read_file(output), "LX*1~LX*1~");
        EXPECT_EQ(read_file(errors), "vireo run: " + output + " was written, but its summary could not be written to "
                                     "standard output (" + c.reason + ")\n");
    }
}

}  // namespace
