// The commands that use the guide checker, run as a user runs them: vireo
// check, vireo run --check, vireo describe and schema; and the file that uses every
// segment class, checked by vireo check and, when it is beside the project,
// by the external validator.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"
#include "vireo/control/catalogue.h"

namespace {

using vireo_test::read_file;
using vireo_test::run_program;
using vireo_test::temp_path;

std::string write(const std::string& text, const std::string& suffix = ".837") {
    const std::string path = temp_path(suffix);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string minimal_837() {
    const std::string path = temp_path();
    const auto r = run_program({VIREO_BIN, "run", std::string(VIREO_EXAMPLES_DIR) + "/minimal.json", "-o", path});
    EXPECT_EQ(r.status, 0) << r.err;
    return path;
}

// The minimal example with one change.
std::string changed(const std::string& from, const std::string& to) {
    std::string text = read_file(minimal_837());
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    return write(text);
}

// What check, describe and schema print, and their exit status.
TEST(Commands, ExitStatusAndOutput) {
    const std::string valid = minimal_837();
    const std::string invalid = changed("CLM*JD240108A*110*", "CLM*JD240108A*195.OO*");
    const std::string warned = changed("*XX*1345678902~", "*XX*1345678901~");
    const std::string text = write("hello\n");
    const struct {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> out;  // parts of standard output
    } cases[] = {
        {{"check", valid}, 0, {valid + ": 28 segments, 0 errors, 0 warnings"}},
        {{"check", invalid}, 1,
         {invalid + ":21: 2300 CLM[CLM02]: error: \"195.OO\" is not a decimal number",
          invalid + ": 28 segments, 1 error, 0 warnings"}},
        {{"check", warned}, 0, {warned + ":10: 2010AA NM1[NM109]: warning: ", "0 errors, 1 warning"}},
        {{"check", "--warnings-as-errors", warned}, 1, {"1 warning (warnings count as errors)"}},
        {{"check", text}, 2, {text + ":0: error: not an X12 interchange", "(not an X12 interchange)"}},
        {{"check", valid, invalid}, 1, {"2 files: 1 error, 0 warnings"}},
        {{"check", valid, "/nonexistent/x.837"}, 2, {}},
        {{"describe"}, 0,
         {"ISA Interchange Control Header (required, no limit)", "  2300 Claim Information (situational, at most 100)",
          "CLM 130 R   1  L2300_CLM_00_CLMInfo  Claim Information"}},
        {{"describe", "2010BA"}, 0,
         {"2010BA Subscriber Name (required, at most 1)", "L2010BA_N4_00_SubscriberCityStateZip"}},
        {{"describe", "2410"}, 0, {"LIN 494 R   1  (no object: the control cannot write it)"}},
        {{"describe", "L2000B_SBR_00_SubscriberInfo"}, 0,
         {"loop 2000B (Subscriber Hierarchical Level), position 5: Subscriber Information, required, at most 1",
          "m05_InsuranceTypeCode", "SBR05", "Insurance Type Code", "situational, ID 1-3", "12 13 14 15 16 41 42 43 47"}},
        // Each code as a C++ host spells it.
        {{"describe", "L2300_HI_00"}, 0,
         {"  m0201_DiagnosisTypeCode  BF  L2300_HI_02_1270_1111_DiagnosisTypeCode::val_BF_Diagnosis_1270_1111\n"}},
        {{"describe", "l2300_clm_00"}, 0, {"L2300_CLM_00_CLMInfo: class L2300_CLM_00, writes CLM", "CLM05-1"}},
        {{"describe", "2999"}, 2, {}},
        // What a 4010 property became in 5010, field by field.
        {{"describe", "--guide", "005010X222A1", "--from-4010", "L2310D_NM1_00_SvcFacLoc"}, 0,
         {"L2310D_NM1_00_SvcFacLoc (004010X098A1) becomes L2310C_NM1_00_SvcFacLoc (005010X222A1)\n",
          "  m09_LaborFacPrimaryIdent  m09_LaborFacPrimaryIdent\n"}},
        {{"describe", "--guide", "005010X222A1", "--from-4010", "L2300_CLM_00"}, 0,
         {"m16_ParticipationAgreement             m16_not_used_in_context (not used by the guide)\n",
          "m0502_not_used_in_context              m0502_FacCodeQul\n"}},
        {{"describe", "--guide", "005010X222A1", "--from-4010"}, 0,
         {"\nL2305_CR7_00_HomeHealthCarePlanInfo  (gone)\n",
          "\nL2330H_NM1_00_OthPayerSuperPROV  L2330F_NM1_00_OthPayerSuperPROV\n"}},
        {{"describe", "--from-4010", "L2300_CLM_00"}, 2, {}},
        // The script schema describes fields with the guide's names.
        {{"schema"}, 0,
         {"\"description\": \"SBR05 Insurance Type Code (situational, ID 1-3)\"",
          "\"description\": \"NM103 Subscriber Last Name (required, AN 1-35)\"",
          "\"description\": \"CLM Claim Information, loop 2300 (required, at most 1 in the loop)\""}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv = {VIREO_BIN};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const auto r = run_program(argv);
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        for (const std::string& part : c.out) EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
    }
}

TEST(CheckCommand, JsonAndStandardInput) {
    const std::string invalid = changed("DTP*472*D8*20240108", "DTP*472*D8*20151399");
    const auto r = run_program({VIREO_BIN, "check", "--json", "-"}, invalid);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "{\"file\": \"<stdin>\", \"segment\": 25, \"loop\": \"2400\", \"segment_id\": \"DTP\", \"element\": "
              "\"DTP03\", \"severity\": \"error\", \"rule\": \"date\", \"message\": \"\\\"20151399\\\" is not a date "
              "CCYYMMDD, as DTP02 D8 says\"}\n");
    EXPECT_NE(r.err.find("<stdin>: 28 segments, 1 error, 0 warnings"), std::string::npos) << r.err;
}

// Inputs that never end get their verdict from their first bytes. Each runs
// under timeout(1): a check that read to the end would be stopped (status 124).
TEST(CheckCommand, AnEndlessInputIsRefusedAfterItsFirstBytes) {
    const std::string isa = "ISA*00*          *00*          *ZZ*VIREOSUBMIT    *ZZ*CLEARHOUSE01   *240201*0930*U*"
                            "00401*000000001*0*T*:~";
    const struct {
        std::string input;
        int status;
        std::string out;
    } cases[] = {
        {"cat /dev/zero", 2, "<stdin>:0: error: not an X12 interchange"},
        {"yes ''", 2, "<stdin>:0: error: not an X12 interchange: more than 1048576 bytes of line ends"},
        {"{ printf '%s' '" + isa + "'; cat /dev/zero; }", 1, "<stdin>:2: error: no segment terminator \"~\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const auto r = run_program({"/bin/sh", "-c", c.input + " | timeout 60 \"$0\" check -", VIREO_BIN});
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
    }
    const auto r = run_program({"/usr/bin/timeout", "60", VIREO_BIN, "check", "/dev/zero"});
    EXPECT_EQ(r.status, 2) << r.out << r.err;
    EXPECT_NE(r.out.find("/dev/zero:0: error: not an X12 interchange"), std::string::npos) << r.out;
}

// A file name may hold any byte: what reaches the terminal holds none that
// would control it, in findings, summaries and errors alike.
TEST(CheckCommand, FileNamesReachTheTerminalEscaped) {
    const std::string dir = temp_path(".d");
    std::filesystem::create_directory(dir);
    const std::string name = dir + "/a\x1b]0;x\x07" "b.837";
    std::ofstream(name, std::ios::binary) << read_file(minimal_837()).replace(0, 0, "\x1b[2J");
    const std::string shown = dir + "/a\\x1B]0;x\\x07b.837";
    auto r = run_program({VIREO_BIN, "check", name, dir + "/\x1b[2J.837"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find(shown + ":0: error: not an X12 interchange"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(shown + ": 0 segments, 1 error"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(dir + "/\\x1B[2J.837: No such file"), std::string::npos) << r.err;
    // A file that cannot be opened has its error only, no summary of a check that did not run.
    EXPECT_EQ(r.out.find("/\\x1B[2J.837"), std::string::npos) << r.out;
    EXPECT_EQ((r.out + r.err).find_first_of("\x1b\x07"), std::string::npos) << r.out << r.err;
    std::filesystem::remove_all(dir);
}

TEST(RunCheck, ReportsAfterTheRunAndStrictLeavesTheOutput) {
    std::string script = read_file(std::string(VIREO_EXAMPLES_DIR) + "/minimal.json");
    // Leave out the transmission type: a file every clearinghouse rejects.
    const auto at = script.find("    {\"L1_REF_00_TranTypeID\"");
    ASSERT_NE(at, std::string::npos);
    script.erase(at, script.find('\n', at) + 1 - at);
    const std::string bad = write(script, ".json");
    const std::string out = temp_path();

    std::ofstream(out) << "before";
    auto r = run_program({VIREO_BIN, "run", bad, "-o", out, "--check=strict"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(read_file(out), "before");
    EXPECT_NE(r.err.find(out + ":5: ST REF: error: required segment REF"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(out + " is left as it was"), std::string::npos) << r.err;

    r = run_program({VIREO_BIN, "run", bad, "-o", out, "--check"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("wrote " + out), std::string::npos);
    EXPECT_NE(read_file(out).find("ISA*"), std::string::npos);
    EXPECT_NE(r.err.find(out + ": 27 segments, 1 error, 0 warnings"), std::string::npos) << r.err;

    // Standard output is written as the script runs: the checker reports, but
    // cannot hold it back.
    r = run_program({VIREO_BIN, "run", bad, "-o", "-", "--check=strict"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("give -o a file"), std::string::npos) << r.err;
    r = run_program({VIREO_BIN, "run", bad, "-o", "-", "--check"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("ISA*", 0), 0u);
    EXPECT_NE(r.err.find("<stdout>:5: ST REF: error: required segment REF"), std::string::npos) << r.err;

    // A valid script: the same bytes as without the checker, status 0.
    const std::string checked = temp_path();
    const std::string unchecked = temp_path();
    const std::string good = std::string(VIREO_EXAMPLES_DIR) + "/professional-claims.json";
    EXPECT_EQ(run_program({VIREO_BIN, "run", good, "-o", checked, "--check=strict"}).status, 0);
    EXPECT_EQ(run_program({VIREO_BIN, "run", good, "-o", unchecked}).status, 0);
    EXPECT_EQ(read_file(checked), read_file(unchecked));
}

// A value that holds a delimiter, and an ISA value longer than its width, make
// the file say something other than the script, and nothing in its bytes
// shows it: errors for --check, though the control writes them.
TEST(RunCheck, ValuesTheFileSplitsOrCutsAreErrors) {
    const std::string script = read_file(std::string(VIREO_EXAMPLES_DIR) + "/minimal.json");
    const struct {
        const char* from;
        const char* to;
        std::string finding;
    } cases[] = {
        {"\"DOE\"", "\"O*BRIEN\"", ":16: 2010BA NM1[NM103]: error: "},
        {"\"45 OAK AVENUE\"", "\"45*OAK AVENUE\"", ":17: 2010BA N3[N301]: error: "},
        {"\"m06_IntSenderID\": \"VIREOSUBMIT\"", "\"m06_IntSenderID\": \"VIREOSUBMITTER00001\"",
         ":1: ISA ISA[ISA06]: error: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.to);
        std::string changed = script;
        changed.replace(changed.find(c.from), std::strlen(c.from), c.to);
        const std::string in = write(changed, ".json");
        const std::string out = temp_path();
        const auto r = run_program({VIREO_BIN, "run", in, "-o", out, "--check"});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find(out + c.finding), std::string::npos) << r.err;
    }
}

std::string validator_path() {
    const char* chosen = std::getenv("VIREO_VALIDATOR");
    return chosen ? chosen : VIREO_EXTERNAL_VALIDATOR;
}

TEST(EveryClass, OneValidFileUsesEverySegmentClass) {
    // In 5010 a DME certificate's PWK (CT) in 2400 cannot be told from the
    // line's other PWK, whose codes include CT: a reader places it there.
    const struct {
        const char* guide;
        std::set<std::string> unwritable;
    } cases[] = {{"004010X098A1", {}}, {"005010X222A1", {"L2400_PWK_01"}}};
    const std::string validator = validator_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.guide);
        const std::string path = temp_path();
        const auto written = run_program({VIREO_EVERY_CLASS, path, c.guide});
        ASSERT_EQ(written.status, 0) << written.err;
        std::set<std::string> used;
        std::size_t segments = 0;  // one class a line, one segment each
        std::size_t start = 0;
        for (std::size_t nl; (nl = written.out.find('\n', start)) != std::string::npos; start = nl + 1, ++segments) {
            used.insert(written.out.substr(start, nl - start));
        }
        for (const auto& slot : prjVireo::catalogue::find_catalogue(c.guide)->slots()) {
            const std::string name = slot.segment_class->name;
            EXPECT_EQ(used.count(name), c.unwritable.count(name) ? 0u : 1u) << name;
        }
        const auto checked = run_program({VIREO_BIN, "check", path});
        EXPECT_EQ(checked.status, 0) << checked.out;
        EXPECT_NE(checked.out.find(": " + std::to_string(segments) + " segments, 0 errors, 0 warnings"),
                  std::string::npos)
            << checked.out;
        if (!std::filesystem::exists(validator)) continue;
        const auto external = run_program({validator, "-q", path});
        EXPECT_EQ(external.status, 0) << external.out << external.err;
    }
    if (!std::filesystem::exists(validator)) GTEST_SKIP() << "no external validator at " << validator;
}

}  // namespace
