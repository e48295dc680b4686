// Scripts written wrong or to hurt: malformed JSON, unknown names, values of
// the wrong type, huge names and values, Code values outside their list,
// delimiters inside values. Every one fails the run with a short message that
// names what is wrong, and the old output stays as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "faults/fault_support.h"
#include "vireo/tools/runner/script_runner.h"

namespace {

using vireo_test::read_file;

std::string script(const std::string& steps) { return "{\"steps\": [" + steps + "]}"; }

const std::string kSt = R"({"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": "837", "m02_TransSetControlNum": "0001"}})";

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
    const std::string text = err.str().substr(0, 500);
    for (const auto& part : c.message_parts) EXPECT_NE(text.find(part), std::string::npos) << text;
    // One short line, whatever the input, starting with where the script went
    // wrong: at most ~80 characters of any value, once.
    EXPECT_LT(err.str().size(), 400u) << text;
    EXPECT_EQ(text.rfind("<script>:", 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
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
                true},
        Hostile{"TruncatedAfterWrites", "{\"steps\": [" + kSt + "," + kSt, {"step 2", "malformed JSON"}},
        Hostile{"NotAnObject", "[1, 2]", {"a script is a JSON object, not an array"}},
        Hostile{"UnknownTopLevelMember", R"({"stepz": []})", {R"(unknown script member "stepz" (did you mean "steps"?))"}},
        Hostile{"NoSteps", R"({"output": "x"})", {R"(the script has no "steps")"}},
        Hostile{"EmptySteps", R"({"steps": []})", {R"(the script's "steps" are empty: there is nothing to write)"}},
        Hostile{"UnknownSegmentProperty", script(kSt + R"(, {"L2010AA_NM1_00_BilPROVName": {}})"),
                {R"(step 2: "L2010AA_NM1_00_BilPROVName" is not a segment object property)",
                 R"((did you mean "L2010AA_NM1_00_BillPROVName"?))"}},
        Hostile{"UnknownField", script(R"({"L2010AA_NM1_00_BillPROVName": {"m03_BillPROVLastName": "X"}})"),
                {R"(step 1: L2010AA_NM1_00 has no field "m03_BillPROVLastName")",
                 R"((did you mean "m03_BillPROVLastorOrgalName"?))"}},
        Hostile{"UnknownControlProperty", script(R"({"set": {"SegmentTerminater": "~"}})"),
                {R"("set" has no control property "SegmentTerminater" (did you mean "SegmentTerminator"?))"}},
        Hostile{"NumberForTextField", script(R"({"L2300_CLM_00_CLMInfo": {"m01_PatAccountNum": 125.5}})"),
                {"L2300_CLM_00.m01_PatAccountNum is a text field: it takes a string (numbers only for decimal and "
                 "whole-number elements), not a number with a fraction"}},
        Hostile{"NumberForSegCount", script(R"({"set": {"SegCount": 0}})"),
                {"SegCount takes a number as a string"}},
        // With ErrorTrap set, text that is not a number is the control's error, as for a host.
        Hostile{"TextSegCountTrapped", script(R"({"set": {"ErrorTrap": true}}, {"set": {"SegCount": "zero"}})"),
                {R"(step 2: error 13: Type mismatch: "zero" is not a number)"}},
        Hostile{"EmptySegCountTrapped", script(R"({"set": {"ErrorTrap": true, "SegCount": ""}})"),
                {R"(step 1: error 13: Type mismatch: "" is not a number)"}},
        Hostile{"UnknownNewLineName", script(R"({"set": {"NewLine": "LF"}})"), {R"(NewLine has no member "LF")"}},
        Hostile{"MemberNotInList",
                script(R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "val_85_BillPROV_98_128"}})"),
                {R"("val_85_BillPROV_98_128" is not in the code list)"}},
        Hostile{"CodeOutOfRange", script(R"({"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": 4294967296}})"),
                {"takes a 32-bit Code value"}},
        Hostile{"StepNotAnObject", script(kSt + ", 7"), {"step 2: a step is an object, not an integer"}},
        Hostile{"EmptyStep", script("{}"), {"step 1: the step is empty"}},
        Hostile{"TwoActions", script(R"({"clear": "L1_ST_00_TransSetHeader", "set": {}})"),
                {R"(step 1: a step does one thing, but this one has both "clear" and "set")"}},
        Hostile{"ClearUnknown", script(R"({"clear": "L1_ST_00"})"),
                {R"("L1_ST_00" is not a segment object property (did you mean "L1_ST_00_TransSetHeader"?))"}},
        // With ErrorTrap set, a failing Additem (the count overflows) ends the run.
        Hostile{"TrappedControlError",
                script(R"({"set": {"ErrorTrap": true, "SegCount": "2147483647"}}, )" + kSt),
                {"step 2: error 6"}}),
    [](const auto& info) { return std::string(info.param.name); });

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
