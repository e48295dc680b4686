// The examples are what users copy: each must write a complete 837 Professional
// that a clearinghouse accepts. vireo check checks every one against the
// implementation guide (its envelope, every required segment), warnings
// included; the external validator checks them too when it is beside the
// project (VIREO_VALIDATOR overrides its path).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using vireo_test::read_file;
using vireo_test::run_program;
using vireo_test::temp_path;

struct Written {
    std::string name;  // the example that wrote it
    std::string path;
};

// Every example script run through `vireo run`, and the C++ example host.
std::vector<Written> write_every_example() {
    std::vector<std::string> scripts;
    for (const auto& entry : fs::directory_iterator(VIREO_EXAMPLES_DIR)) {
        if (entry.path().extension() == ".json") scripts.push_back(entry.path().string());
    }
    std::sort(scripts.begin(), scripts.end());
    std::vector<Written> written;
    for (const std::string& script : scripts) {
        const std::string out = temp_path();
        const auto result = run_program({VIREO_BIN, "run", script, "-o", out});
        EXPECT_EQ(result.status, 0) << script << ": " << result.err;
        written.push_back({fs::path(script).filename().string(), out});
    }
    const std::string host_out = temp_path();
    const auto host = run_program({VIREO_EXAMPLE_HOST, host_out});
    EXPECT_EQ(host.status, 0) << host.err;
    written.push_back({"host.cpp", host_out});
    return written;
}

std::string validator_path() {
    const char* chosen = std::getenv("VIREO_VALIDATOR");
    return chosen ? chosen : VIREO_EXTERNAL_VALIDATOR;
}

TEST(Examples, GuideCheckerAcceptsEveryExample) {
    for (const Written& w : write_every_example()) {
        SCOPED_TRACE(w.name);
        const auto result = run_program({VIREO_BIN, "check", w.path});
        EXPECT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_NE(result.out.find(" 0 errors, 0 warnings"), std::string::npos) << result.out;
    }
}

TEST(Examples, ExternalValidatorAcceptsEveryExample) {
    const std::string validator = validator_path();
    if (!fs::exists(validator)) GTEST_SKIP() << "no external validator at " << validator;
    for (const Written& w : write_every_example()) {
        SCOPED_TRACE(w.name);
        const auto result = run_program({validator, w.path});
        ASSERT_NE(result.status, 2) << "the validator could not run: " << result.err << result.out;
        EXPECT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_NE(result.out.find("VALID"), std::string::npos) << result.out;
    }
}

}  // namespace
