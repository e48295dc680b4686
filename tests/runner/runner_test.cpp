// The script host: what a script writes, how bad input is reported, and that a
// failed run leaves the output file exactly as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <nlohmann/json.hpp>

#include "vireo/control/catalogue.h"
#include "test_support.h"
#include "vireo/tools/runner/script_runner.h"

namespace {

namespace fs = std::filesystem;
using vireo_runner::RunOptions;
using vireo_test::read_file;
using vireo_test::temp_path;

struct RunOutcome {
    int status;
    std::string errors;
    std::string output;  // the output file's bytes afterwards
};

// Runs `script` in-process, writing to `path`.
RunOutcome run(const std::string& script, const std::string& path, bool trace = false) {
    RunOptions options;
    options.output = path;
    options.trace = trace;
    std::ostringstream err;
    const auto result = vireo_runner::run_script(script, options, err);
    return {result.exit_status, err.str(), read_file(path)};
}

// Wraps steps (JSON text, comma separated) into a script.
std::string script(const std::string& steps) { return "{\"steps\": [" + steps + "]}"; }

const std::string kSt = R"({"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": "837", "m02_TransSetControlNum": "0001"}})";

std::string shell_quote(const std::string& s) { return "'" + s + "'"; }

int run_command(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An output that cannot be written is reported before any step, in one line.
// Names from outside (the script's, OUTPUT from -o or from the script) reach a
// terminal through messages: a name with control characters or bytes that are
// not UTF-8 is shown quoted with them escaped, as values are.
TEST(Runner, UnusableOutputsAndBadNamesAreReportedInOneSafeLine) {
    const std::string dir = temp_path(".dir");
    fs::create_directories(dir);
    struct Case {
        const char* name;
        std::string script_name;
        std::string output;  // -o
        std::string script;
        std::string message;  // a part of the message
    } cases[] = {
        {"missing_folder", "<script>", dir + "/missing/out.837", script(kSt), "cannot create a file in"},
        {"folder", "<script>", dir, script(kSt), "is a directory"},
        {"script_name", "claims\a\x1b[31m.json", dir + "/out.837", script(R"({"set": {"Annotation": 1}})"),
         "\"claims\\u0007\\u001b[31m.json\":1:35: step 1: Annotation takes true or false"},
        {"output_option", "<script>", dir + "/\x1b]0;x\x07\x9b/out.837", script(kSt),
         "<script>:1:11: output: cannot create a file in "},
        {"output_of_the_script", "<script>", "",
         "{\"output\": " + nlohmann::json(dir + "/\x1b[2J/out.837").dump() + ", \"steps\": []}", "\\u001b[2J/out.837"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunOptions options;
        options.output = c.output;
        options.script_name = c.script_name;
        std::ostringstream err;
        EXPECT_EQ(vireo_runner::run_script(c.script, options, err).exit_status, 1);
        const std::string text = err.str();
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
        // One line of printable ASCII (every name here is ASCII but for its controls).
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
        EXPECT_TRUE(std::all_of(text.begin(), text.end() - 1, [](unsigned char b) { return b >= 0x20 && b < 0x7F; }))
            << text;
    }
}

TEST(Runner, OutputComesFromTheScriptUnlessGiven) {
    const std::string from_script = temp_path();
    const std::string from_option = temp_path();
    const std::string text = "{\"output\": " + nlohmann::json(from_script).dump() + ", \"steps\": [" + kSt + "]}";

    EXPECT_EQ(run(text, "").status, 0);
    EXPECT_EQ(read_file(from_script), "ST*837*0001~");

    EXPECT_EQ(run(text, from_option).status, 0);
    EXPECT_EQ(read_file(from_option), "ST*837*0001~");

    // "output" is needed before the steps start.
    const RunOutcome late = run("{\"steps\": [], \"output\": \"x.837\"}", "");
    EXPECT_EQ(late.status, 1);
    EXPECT_NE(late.errors.find("give -o OUTPUT"), std::string::npos) << late.errors;
}

// ---- what a script writes ----

struct Written {
    const char* name;
    std::string steps;
    std::string bytes;
};

class RunnerWrites : public ::testing::TestWithParam<Written> {};

TEST_P(RunnerWrites, ExactBytes) {
    // Whatever the thread's writer state held, a run starts from a new control's.
    prjVireo::vireo other;
    other.DataElementSeparator("|");
    other.NewLine(prjVireo::NewLineValues::LfCr_ToSegEnd);
    other.Annotation(-1);
    other.SegCount("40");

    const std::string path = temp_path();
    const RunOutcome r = run(script(GetParam().steps), path);
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.errors, "");
    EXPECT_EQ(r.output, GetParam().bytes);
}

const std::string kNm1 = R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": %s, "m03_BillPROVLastorOrgalName": "ACME"}})";

std::string nm1(const std::string& code) {
    std::string s = kNm1;
    s.replace(s.find("%s"), 2, code);
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunnerWrites,
    ::testing::Values(
        Written{"DefaultState", kSt, "ST*837*0001~"},
        Written{"SeCountsFromZero", kSt + R"(, {"L2440_SE_00_TransSetTrailer": {"m02_TransSetControlNum": "0001"}})",
                "ST*837*0001~SE*2*0001~"},
        Written{"CodeText", nm1("\"85\""), "NM1*85**ACME~"},
        Written{"MemberNameAnyCase", nm1("\"VAL_85_BILLPROV_98_127\""), "NM1*85**ACME~"},
        Written{"EmptyCode", nm1("\"\""), "NM1***ACME~"},
        // Without --strict a delimiter inside a value is written as it is (HostileInput: with it).
        Written{"DelimiterInsideAValue",
                R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "85", "m03_BillPROVLastorOrgalName": "O*BRIEN"}})",
                "NM1*85**O*BRIEN~"},
        Written{"Settings",
                R"({"set": {"DataElementSeparator": "|", "SegmentTerminator": "!", "NewLine": "LfCr_ToSegEnd"}}, )" + kSt +
                    R"(, {"set": {"NewLine": 1}}, )" + kSt + R"(, {"set": {"NewLine": 0}}, )" + kSt,
                "ST|837|0001!\r\nST|837|0001!\nST|837|0001!"},
        Written{"Annotation", R"({"set": {"Annotation": true}}, )" + kSt, "\r\n\tL_1_ST_TransSetHeader\r\n\r\nST*837*0001~"},
        Written{"CaseInsensitiveNames", R"({"l1_st_00_transsetheader": {"M02_TRANSSETCONTROLNUM": "9"}})", "ST**9~"},
        Written{"Comments",
                R"({"#": "a note"}, {"#": [1, {"deep": [{}]}], "L1_ST_00_TransSetHeader": {"#": {"x": 1}, "m02_TransSetControlNum": "1"}}, )"
                R"({"set": {"#": "LF", "NewLine": 1}}, {"assign": {"#": 0, "L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": "2"}}}, )"
                R"({"additem": "L1_ST_00_TransSetHeader"})",
                "ST**1~ST**2~\n"},
        // Without ErrorTrap, text that is not a number is passed over: the count keeps its value.
        Written{"SegCountNotANumberPassedOver",
                R"({"set": {"SegCount": "3"}}, {"set": {"SegCount": ""}}, {"set": {"SegCount": "-"}}, )"
                R"({"set": {"SegCount": "zero"}}, {"L2440_SE_00_TransSetTrailer": {"m02_TransSetControlNum": "0001"}})",
                "SE*4*0001~"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Runner, TraceWritesOneJsonLinePerBeforeAdd) {
    const std::string path = temp_path();
    const RunOutcome r = run(script(R"({"#": "c"}, )" + kSt + R"(, {"L2440_SE_00_TransSetTrailer": {"m02_TransSetControlNum": "\"1\""}})"),
                      path, true);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.errors,
              "{\"step\":2,\"SegValue\":\"ST*837*0001~\",\"SegCount\":1}\n"
              "{\"step\":3,\"SegValue\":\"SE*2*\\\"1\\\"~\",\"SegCount\":3}\n");
}

// ---- the output file ----

TEST(Runner, RunsAreIndependentOnOneThread) {
    // A failed run leaves no open file and no setting behind for the next one.
    const std::string path = temp_path();
    EXPECT_EQ(run(script(R"({"set": {"NewLine": 2, "ErrorTrap": true}}, )" + kSt + ", 5"), path).status, 1);
    EXPECT_EQ(run(script(kSt), path).status, 0);
    EXPECT_EQ(read_file(path), "ST*837*0001~");
}

// ---- the schema ----

TEST(Runner, SchemaDescribesEverySlotAndCodeList) {
    const auto schema = vireo_runner::script_schema();
    const auto& step = schema["$defs"]["step"]["properties"];
    for (const auto& slot : prjVireo::catalogue::slots()) {
        EXPECT_TRUE(step.contains(std::string(slot.property))) << slot.property;
    }
    // Step verbs, settings and a code list's code texts, member names and integers.
    for (const char* verb : {"set", "clear", "assign", "additem", "#"}) EXPECT_TRUE(step.contains(verb)) << verb;
    const auto& nm1 = schema["$defs"]["classes"]["L2010AA_NM1_00"]["properties"];
    EXPECT_EQ(nm1["m01_EntityIdentCode"]["$ref"], "#/$defs/codelists/L2010AA_NM1_01_98_127_EntityIdentCode");
    EXPECT_EQ(nm1["m03_BillPROVLastorOrgalName"]["type"], nlohmann::ordered_json({"string", "null"}));
    const auto& choices = schema["$defs"]["codelists"]["L2010AA_NM1_01_98_127_EntityIdentCode"]["anyOf"];
    std::vector<std::string> consts;
    for (const auto& c : choices) {
        if (c.contains("const")) consts.push_back(c["const"]);
    }
    EXPECT_EQ(consts, (std::vector<std::string>{"85", "val_85_BillPROV_98_127"}));
    EXPECT_EQ(choices[2]["type"], "integer");
    EXPECT_EQ(schema["$defs"]["codelists"].size(), prjVireo::catalogue::codelists().size());
    // Text that is not a number is the control's to judge (passed over, or an
    // error under ErrorTrap), so the schema must not refuse any string.
    const auto& seg_count = schema["$defs"]["settings"]["properties"]["SegCount"];
    std::vector<std::string> keys;
    for (const auto& [key, value] : seg_count.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"type", "description"}));
    EXPECT_EQ(seg_count["type"], "string");
}

// ---- the command and the examples ----

TEST(RunnerCommand, ExampleScriptAndHostWriteTheSameBytes) {
    const std::string from_script = temp_path();
    const std::string from_host = temp_path();
    const std::string examples = VIREO_EXAMPLES_DIR;
    ASSERT_EQ(run_command(shell_quote(VIREO_BIN) + " run " + shell_quote(examples + "/professional-claims.json") +
                          " -o " + shell_quote(from_script) + " > /dev/null"),
              0);
    ASSERT_EQ(run_command(shell_quote(VIREO_EXAMPLE_HOST) + " " + shell_quote(from_host) + " > /dev/null"), 0);
    const std::string bytes = read_file(from_script);
    EXPECT_EQ(bytes, read_file(from_host));

    // The transaction's own numbers are right: SE01 counts ST to SE, LX restarts per claim.
    std::vector<std::string> segments;
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line);) segments.push_back(line);
    std::size_t st = 0, se = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].rfind("ST*", 0) == 0) st = i;
        if (segments[i].rfind("SE*", 0) == 0) se = i;
    }
    EXPECT_EQ(segments[se], "SE*" + std::to_string(se - st + 1) + "*0001~");
    EXPECT_EQ(segments.back(), "IEA*1*000000101~");
    EXPECT_EQ(segments.front().size(), 106u);  // the fixed-width ISA and its terminator
}

TEST(RunnerCommand, BadScriptOnStandardInputFailsAndKeepsTheFile) {
    const std::string out = temp_path();
    const std::string errors = temp_path(".err");
    std::ofstream(out) << "keep";
    const std::string bad = script(kSt + R"(, {"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": "838"}})");
    const int status = run_command("printf '%s' " + shell_quote(bad) + " | " + shell_quote(VIREO_BIN) + " run - -o " +
                                   shell_quote(out) + " 2> " + shell_quote(errors));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(read_file(out), "keep");
    EXPECT_EQ(read_file(errors).rfind("<stdin>:1:", 0), 0u) << read_file(errors);
    EXPECT_NE(read_file(errors).find("step 2: \"838\" is not in the code list"), std::string::npos);
}

}  // namespace
