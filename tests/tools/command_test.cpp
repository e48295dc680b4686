// The vireo command explains itself: help and --version on standard output with
// status 0, usage errors on standard error with status 2 and a pointer to help.
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using vireo_test::run_program;

struct Invocation {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> out;  // each must appear in standard output
    std::vector<std::string> err;  // each must appear in standard error
};

TEST(Command, HelpVersionAndUsageErrors) {
    const std::string version = std::string("vireo ") + VIREO_PROJECT_VERSION + " ";
    std::vector<Invocation> cases = {
        {{"--version"}, 0, {version}, {}},
        {{"--help"}, 0, {"Usage: vireo", "Commands:", "run", "schema", "typelib", "help", "Examples:"}, {}},
        {{"help"}, 0, {"Usage: vireo", "Commands:"}, {}},
        {{"help", "run"}, 0, {"Usage: vireo run [OPTIONS] SCRIPT", "-o,--output", "--strict", "--trace", "Examples:"}, {}},
        {{"run", "--help"}, 0, {"Usage: vireo run [OPTIONS] SCRIPT", "Examples:"}, {}},
        {{}, 2, {}, {"Usage: vireo"}},
        {{"nope"}, 2, {}, {"there is no command \"nope\"", "vireo --help"}},
        {{"help", "nope"}, 2, {}, {"there is no command \"nope\""}},
        {{"run"}, 2, {}, {"SCRIPT is required", "vireo help run"}},
        {{"run", "x.json", "--bogus"}, 2, {}, {"--bogus", "vireo help run"}},
        {{"run", "x.json", "-o", ""}, 2, {}, {"OUTPUT is empty"}},
        {{"run", "x.json", "-o"}, 2, {}, {"--output", "vireo help run"}},
        {{"schema", "extra"}, 2, {}, {"extra", "vireo help schema"}},
        {{"--version", "extra"}, 0, {version}, {}},
    };
    if (VIREO_HAVE_WINDOWS) {
        cases.push_back({{"help", "properties"}, 0, {"Usage: vireo properties [OPTIONS] FILE", "--set"}, {}});
        cases.push_back({{"properties", "f.ctl", "--set", "noequals"}, 2, {}, {"CONTROL=VALUE"}});
    }
    for (const Invocation& c : cases) {
        std::vector<std::string> argv = {VIREO_BIN};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string shown;
        for (const auto& a : c.args) shown += " [" + a + "]";
        SCOPED_TRACE("vireo" + shown);
        const auto result = run_program(argv);
        EXPECT_EQ(result.status, c.status) << result.err;
        for (const auto& part : c.out) EXPECT_NE(result.out.find(part), std::string::npos) << part << "\n" << result.out;
        for (const auto& part : c.err) EXPECT_NE(result.err.find(part), std::string::npos) << part << "\n" << result.err;
        // Help goes to standard output only; errors to standard error only.
        if (c.status == 0) {
            EXPECT_EQ(result.err, "");
        }
        if (c.status == 2) {
            EXPECT_EQ(result.out, "");
        }
    }
}

TEST(Command, EveryCommandHasHelpWithAnExample) {
    const auto list = run_program({VIREO_BIN, "help"});
    ASSERT_EQ(list.status, 0);
    const auto begin = list.out.find("Commands:");
    ASSERT_NE(begin, std::string::npos);
    std::istringstream lines(list.out.substr(begin));
    std::string line;
    std::getline(lines, line);
    int commands = 0;
    while (std::getline(lines, line) && !line.empty()) {
        const std::string name = line.substr(2, line.find(' ', 2) - 2);
        SCOPED_TRACE(name);
        const auto help = run_program({VIREO_BIN, "help", name});
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find("Usage: vireo " + name), std::string::npos) << help.out;
        EXPECT_NE(help.out.find("Example"), std::string::npos) << help.out;
        ++commands;
    }
    EXPECT_GE(commands, 4);
}

// `vireo properties FILE --apply` saves as the library does: the comments stay
// where they were, and the file keeps its mode.
TEST(Command, PropertiesApplyKeepsCommentsAndMode) {
    if (!VIREO_HAVE_WINDOWS) GTEST_SKIP() << "built without the property page";
    const std::string path = vireo_test::temp_path(".ctl");
    std::ofstream(path) << "# for payer X\nSegmentTerminator=\"!\"\n";
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const auto result = run_program({VIREO_BIN, "properties", path, "--set", "txtDataElementSeparator=|", "--apply"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(vireo_test::read_file(path), "# for payer X\nDataElementSeparator=\"|\"\nSegmentTerminator=\"!\"\n");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

}  // namespace
