// A run replaces its output all at once: killed in the middle, it leaves the
// old file, never a part; the next run removes the temporary file a killed run
// left behind. (Killed by signals, the command: output_integrity_test.cpp.)
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <streambuf>

#include "fault_support.h"
#include "vireo/core/output_target.h"
#include "vireo/tools/runner/script_runner.h"

namespace fs = std::filesystem;

namespace {

using vireo_fault::kOld;

constexpr int kClaims = 30000;

// A run of `claims` transaction sets: a few megabytes of output.
std::string large_script(int claims) {
    std::ostringstream s;
    s << "{\"steps\": [\n{\"set\": {\"NewLine\": \"LF_ToSegEnd\"}}";
    for (int i = 0; i < claims; ++i) {
        s << ",\n{\"set\": {\"SegCount\": \"0\"}}"
          << ",\n{\"L1_ST_00_TransSetHeader\": {\"m01_TransSetIdentCode\": \"837\", \"m02_TransSetControlNum\": \"" << i
          << "\"}}"
          << ",\n{\"L2300_CLM_00_CLMInfo\": {\"m01_PatAccountNum\": \"PAT" << i * 7919
          << "\", \"m02_TotalCLMChargeAmount\": \"" << i % 1000 << ".25\"}}"
          << ",\n{\"L2440_SE_00_TransSetTrailer\": {\"m02_TransSetControlNum\": \"" << i << "\"}}";
    }
    s << "\n]}\n";
    return s.str();
}

// Kills its own process when the n-th trace line (one per BeforeAdd) arrives.
class KillAtLine final : public std::streambuf {
public:
    explicit KillAtLine(std::uint64_t n) : left_(n) {}

protected:
    int_type overflow(int_type c) override {
        if (c == '\n' && --left_ == 0) ::raise(SIGKILL);
        return c;
    }

private:
    std::uint64_t left_;
};

class RunnerKill : public ::testing::Test {
protected:
    void SetUp() override {
        dir = vireo_test::temp_path(".killdir");
        fs::create_directories(dir);
        script = dir + "/claims.json";
        std::ofstream(script) << large_script(kClaims);
        target = dir + "/claims.837";
        reference = vireo_test::temp_path(".reference");
        vireo_runner::RunOptions options;
        options.output = reference;
        std::ostringstream err;
        std::ifstream in(script);
        auto result = vireo_runner::run_script(in, options, err);
        ASSERT_EQ(result.exit_status, 0) << err.str();
        expected = vireo_test::read_file(reference);
        ASSERT_GT(expected.size(), 1u << 20);  // more than one output buffer
    }
    void reset_target() { vireo_fault::write_old(target); }
    std::vector<std::string> temporaries() const { return vireo_fault::temporaries(dir, "claims.837"); }
    // One complete run in this process; afterwards no temporary file may remain.
    void run_to_completion() {
        vireo_runner::RunOptions options;
        options.output = target;
        std::ostringstream err;
        std::ifstream in(script);
        ASSERT_EQ(vireo_runner::run_script(in, options, err).exit_status, 0) << err.str();
        EXPECT_TRUE(vireo_test::read_file(target) == expected);
        EXPECT_TRUE(temporaries().empty());
    }

    std::string dir, script, target, reference, expected;
};

}  // namespace

TEST_F(RunnerKill, KilledWhileWritingLeavesTheOldFile) {
    const std::uint64_t segments = kClaims * 3;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937_64 random(seed);
        const std::uint64_t kill_at = 1 + random() % segments;
        SCOPED_TRACE("killed at segment " + std::to_string(kill_at));
        reset_target();
        pid_t pid = ::fork();
        if (pid == 0) {
            KillAtLine killer(kill_at);
            std::ostream trace(&killer);
            vireo_runner::RunOptions options;
            options.output = target;
            options.trace = true;
            std::ifstream in(script);
            vireo_runner::run_script(in, options, trace);
            ::_exit(3);  // not reached: every kill point lies inside the run
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_EQ(vireo_test::read_file(target), kOld);
        EXPECT_EQ(temporaries().size(), 1u);  // what the killed run had written so far
    }
    run_to_completion();
}

// A disk that fills up during the run: the command fails with the disk-full
// error that CloseFile reports, and the target keeps its old contents.
TEST_F(RunnerKill, DiskFilledDuringTheRunLeavesTheOldFile) {
    reset_target();
    std::string report = vireo_fault::in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{512 * 1024, 512 * 1024};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
        vireo_runner::RunOptions options;
        options.output = target;
        std::ostringstream err;
        std::ifstream in(script);
        auto result = vireo_runner::run_script(in, options, err);
        return std::to_string(result.exit_status) + " " + err.str();
    });
    EXPECT_EQ(report.rfind("1 ", 0), 0u) << report;
    EXPECT_NE(report.find("error 61: Disk full: writing "), std::string::npos) << report;
    EXPECT_EQ(vireo_test::read_file(target), kOld);
    EXPECT_TRUE(temporaries().empty());
}
