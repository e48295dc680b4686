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

// Every example script run through `vireo run`, and the C++ example hosts.
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
    for (const auto& [host, name] : {std::pair{VIREO_EXAMPLE_HOST, "host.cpp"},
                                     std::pair{VIREO_EXAMPLE_HOST_5010, "host_5010.cpp"}}) {
        const std::string host_out = temp_path();
        const auto result = run_program({host, host_out});
        EXPECT_EQ(result.status, 0) << name << ": " << result.err;
        written.push_back({name, host_out});
    }
    return written;
}

// The 5010 host makes the script's calls through the typed API: the same bytes.
TEST(Examples, The5010HostWritesTheBytesOfItsScript) {
    const std::string from_script = temp_path();
    const std::string from_host = temp_path();
    const auto script =
        run_program({VIREO_BIN, "run", std::string(VIREO_EXAMPLES_DIR) + "/professional-claims-5010.json", "-o",
                     from_script});
    ASSERT_EQ(script.status, 0) << script.err;
    const auto host = run_program({VIREO_EXAMPLE_HOST_5010, from_host});
    ASSERT_EQ(host.status, 0) << host.err;
    const std::string bytes = read_file(from_script);
    EXPECT_NE(bytes.find("*1200*^*00501*"), std::string::npos) << bytes;
    EXPECT_EQ(read_file(from_host), bytes);
}

// The example that leaves the bookkeeping to the control writes the bytes of
// the one that sets every value.
TEST(Examples, AutoBookkeepingWritesTheBytesOfTheProfessionalClaims) {
    std::string bytes[2];
    const char* scripts[2] = {"/professional-claims.json", "/auto-bookkeeping.json"};
    for (int i = 0; i < 2; ++i) {
        const std::string out = temp_path();
        const auto result = run_program({VIREO_BIN, "run", std::string(VIREO_EXAMPLES_DIR) + scripts[i], "-o", out});
        ASSERT_EQ(result.status, 0) << result.err;
        bytes[i] = read_file(out);
    }
    EXPECT_EQ(bytes[1], bytes[0]);
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
