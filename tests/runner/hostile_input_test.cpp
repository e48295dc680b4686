// Scripts written to hurt: huge names and values, Code values outside their
// list, delimiters inside values. Every one fails the run with a short message
// that names what is wrong, and the old output stays as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "faults/fault_support.h"
#include "vireo/tools/runner/script_runner.h"

namespace {

using vireo_test::read_file;

std::string script(const std::string& steps) { return "{\"steps\": [" + steps + "]}"; }

std::string nm1_code(const std::string& value) {
    return script(R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": )" + value +
                  R"(, "m03_BillPROVLastorOrgalName": "ACME"}})");
}

// A name or value of one mebibyte: far longer than any name of the catalogue.
const std::string kHuge(1 << 20, 'x');
const std::string kHugeShown = "\"" + std::string(80, 'x') + "\"... (1048576 bytes)";

struct Hostile {
    const char* name;
    std::string script;
    std::vector<std::string> message_parts;
    bool strict = false;
};

class HostileInput : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileInput, FailsWithAShortMessageAndKeepsTheOutput) {
    const Hostile& c = GetParam();
    const std::string path = vireo_test::temp_path();
    const std::string before = "claims of an earlier run\n";
    std::ofstream(path) << before;
    vireo_runner::RunOptions options;
    options.output = path;
    options.strict = c.strict;
    std::ostringstream err;
    const auto result = vireo_runner::run_script(c.script, options, err);
    EXPECT_EQ(result.exit_status, 1);
    for (const auto& part : c.message_parts) EXPECT_NE(err.str().find(part), std::string::npos) << err.str().substr(0, 500);
    // Short whatever the input: at most ~80 characters of any value, once.
    EXPECT_LT(err.str().size(), 400u) << err.str().substr(0, 500);
    EXPECT_EQ(read_file(path), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileInput,
    ::testing::Values(
        Hostile{"huge_step_name", script("{\"" + kHuge + "\": {}}"),
                {"step 1: " + kHugeShown + " is not a segment object property nor a step verb"}},
        Hostile{"huge_script_member", "{\"" + kHuge + "\": 1, \"steps\": []}",
                {"unknown script member " + kHugeShown + "; a script has"}},
        Hostile{"huge_field_name", script("{\"L1_ST_00_TransSetHeader\": {\"" + kHuge + "\": \"1\"}}"),
                {"L1_ST_00 has no field " + kHugeShown}},
        Hostile{"huge_setting_name", script("{\"set\": {\"" + kHuge + "\": 1}}"),
                {"\"set\" has no control property " + kHugeShown + "; it sets"}},
        Hostile{"huge_second_action", script("{\"clear\": \"L1_ST_00_TransSetHeader\", \"" + kHuge + "\": 1}"),
                {"both \"clear\" and " + kHugeShown}},
        Hostile{"huge_code_text", script("{\"L1_ST_00_TransSetHeader\": {\"m01_TransSetIdentCode\": \"" + kHuge + "\"}}"),
                {kHugeShown + " is not in the code list L1_ST_01_143_3_TransSetIdentCode"}},
        Hostile{"huge_segment_count", script("{\"set\": {\"ErrorTrap\": true, \"SegCount\": \"" + kHuge + "\"}}"),
                {"error 13: Type mismatch: " + kHugeShown + " is not a number"}},
        Hostile{"huge_newline_name", script("{\"set\": {\"NewLine\": \"" + kHuge + "\"}}"),
                {"NewLine has no member " + kHugeShown}},
        // An integer Code value must be in the field's list, as a code text must.
        Hostile{"integer_code_not_in_list", nm1_code("99999"),
                {"99999 (code text \"\\u0018i\\u000f\") is not in the code list "
                 "L2010AA_NM1_01_98_127_EntityIdentCode of L2010AA_NM1_00.m01_EntityIdentCode; its codes are \"85\""}},
        Hostile{"integer_code_that_spells_the_terminator", nm1_code("126"),
                {"126 (code text \"~\") is not in the code list L2010AA_NM1_01_98_127_EntityIdentCode"}},
        Hostile{"negative_integer_code", nm1_code("-5"), {"-5 (code text ", ") is not in the code list"}},
        // Strict values: a delimiter inside a value would split or end the segment.
        Hostile{"strict_separator_in_a_name",
                script(R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "85", "m03_BillPROVLastorOrgalName": "O*BRIEN"}})"),
                {"step 1: error 5: Invalid procedure call or argument: NM1 (L2010AA_NM1_00.m03_BillPROVLastorOrgalName) "
                 "holds \"*\", the data element separator; strict values refuse it"},
                true},
        Hostile{"strict_terminator_after_a_changed_one",
                script(R"({"set": {"SegmentTerminator": "'"}}, {"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": "A'B"}})"),
                {"step 2: ", "ST (L1_ST_00.m02_TransSetControlNum) holds \"'\", the segment terminator"},
                true}),
    [](const auto& info) { return std::string(info.param.name); });

// The same script without --strict writes the value as it is: the control's
// documented behaviour, byte for byte.
TEST(HostileInputDefault, DelimitersInsideValuesAreWrittenUnchanged) {
    const std::string path = vireo_test::temp_path();
    vireo_runner::RunOptions options;
    options.output = path;
    std::ostringstream err;
    const auto r = vireo_runner::run_script(
        script(R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "85", "m03_BillPROVLastorOrgalName": "O*BRIEN"}})"),
        options, err);
    EXPECT_EQ(r.exit_status, 0) << err.str();
    EXPECT_EQ(read_file(path), "NM1*85**O*BRIEN~");
}

// Memory for a huge value stays within a fixed multiple of it, in every form
// of script, alone in its step or followed by another field: the value is in
// the script's window, in its field and in the segment written, and nowhere
// twice more.
TEST(HostileInputMemory, AHugeValueCostsABoundedMultipleOfItsSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer's own memory hides the program's";
#else
    constexpr std::size_t kValue = 64u << 20;
    constexpr double kMultiple = 3.5;  // as the README states it
    const std::string value(kValue, '7');
    const std::string set = R"({"set": {"NewLine": 1}})";
    const std::string second = R"({"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": "2"}})";
    const std::string alone = R"({"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": ")" + value + R"("}})";
    // The name, then the identifier after it in the segment and in the step.
    const std::string followed = R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "85", )"
                                 R"("m03_BillPROVLastorOrgalName": ")" + value + R"(", "m09_BillPROVIdent": "1"}})";
    const std::string columns = R"({"columns": {"L2010AA_NM1_00_BillPROVName": ["m01_EntityIdentCode", )"
                                R"("m03_BillPROVLastorOrgalName", "m09_BillPROVIdent"]}})";
    const std::string row = R"(["L2010AA_NM1_00_BillPROVName", "85", ")" + value + R"(", "1"])";
    struct Case {
        const char* name;
        std::string script;
        std::size_t bytes;
    };
    // ST**<value>~ or NM1*85**<value>******1~, then ST**2~, each with its LF.
    const Case cases[] = {
        {"classic_alone", script(set + "," + alone + "," + second), kValue + 13},
        {"classic_followed", script(set + "," + followed + "," + second), kValue + 24},
        {"lines_followed", set + "\n" + followed + "\n" + second + "\n", kValue + 24},
        {"rows_followed", set + "\n" + columns + "\n" + row + "\n" + second + "\n", kValue + 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = vireo_test::temp_path();
        // In a child of its own, so that the peak is this run's.
        const std::string report = vireo_fault::in_child([&] {
            rusage before{}, after{};
            ::getrusage(RUSAGE_SELF, &before);
            vireo_runner::RunOptions options;
            options.output = path;
            std::ostringstream err;
            const int status = vireo_runner::run_script(c.script, options, err).exit_status;
            ::getrusage(RUSAGE_SELF, &after);
            return std::to_string(status) + " " + std::to_string((after.ru_maxrss - before.ru_maxrss) * 1024);
        });
        std::istringstream fields(report);
        int status = -1;
        std::size_t growth = 0;
        fields >> status >> growth;
        ASSERT_EQ(status, 0) << report;
        RecordProperty(std::string("peak_growth_bytes_") + c.name, std::to_string(growth));
        EXPECT_LE(static_cast<double>(growth), kMultiple * kValue) << growth / double(kValue) << " times the value";
        EXPECT_EQ(std::filesystem::file_size(path), c.bytes);
    }
#endif
}

}  // namespace
