// The forms a script comes in: the classic object, one step per line. Every
// form of the same steps writes the same bytes, and an error is placed at its
// line and column in the form it was written in.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "test_support.h"
#include "vireo/tools/runner/script_runner.h"

namespace {

using vireo_test::read_file;
using vireo_test::temp_path;

struct Outcome {
    int status;
    std::string errors;
    std::string output;
};

// A script that arrives a few bytes at a time, as from a slow pipe: steps are
// then often cut across reads.
class Trickle final : public vireo_runner::ScriptSource {
public:
    Trickle(const std::string& text, std::size_t piece) : text_(text), piece_(piece) {}
    std::size_t read(char* into, std::size_t max) override {
        const std::size_t n = std::min({max, piece_, text_.size() - at_});
        text_.copy(into, n, at_);
        at_ += n;
        return n;
    }

private:
    const std::string& text_;
    std::size_t piece_;
    std::size_t at_ = 0;
};

// Runs `script`, whole or (piece > 0) `piece` bytes per read.
Outcome run(const std::string& script, std::size_t piece = 0) {
    const std::string path = temp_path();
    vireo_runner::RunOptions options;
    options.output = path;
    std::ostringstream err;
    vireo_runner::RunResult result;
    if (piece == 0) {
        result = vireo_runner::run_script(script, options, err);
    } else {
        Trickle source(script, piece);
        result = vireo_runner::run_script(source, options, err);
    }
    return {result.exit_status, err.str(), read_file(path)};
}

std::string classic(const std::vector<std::string>& steps) {
    std::string s = "{\"steps\": [";
    for (std::size_t i = 0; i < steps.size(); ++i) s += (i ? ",\n" : "") + steps[i];
    return s + "]}";
}

std::string lines(const std::vector<std::string>& steps, const std::string& end_of_line = "\n") {
    std::string s;
    for (const auto& step : steps) s += step + end_of_line;
    return s;
}

const std::string kSt = R"({"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": "837", "m02_TransSetControlNum": "0001"}})";
const std::string kSe = R"({"L2440_SE_00_TransSetTrailer": {"m02_TransSetControlNum": "0001"}})";

struct Form {
    const char* name;
    std::vector<std::string> steps;
    std::string bytes;
};

class OneStepPerLine : public ::testing::TestWithParam<Form> {};

TEST_P(OneStepPerLine, WritesTheBytesOfTheClassicForm) {
    const Form& f = GetParam();
    const Outcome from_classic = run(classic(f.steps));
    ASSERT_EQ(from_classic.status, 0) << from_classic.errors;
    EXPECT_EQ(from_classic.output, f.bytes);
    for (const std::string end_of_line : {"\n", "\r\n"}) {
        const Outcome from_lines = run(lines(f.steps, end_of_line));
        ASSERT_EQ(from_lines.status, 0) << from_lines.errors;
        EXPECT_EQ(from_lines.output, f.bytes);
    }
    // The last line may lack its line break.
    std::string unterminated = lines(f.steps);
    unterminated.pop_back();
    EXPECT_EQ(run(unterminated).output, f.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OneStepPerLine,
    ::testing::Values(
        Form{"Segments", {R"({"set": {"NewLine": "LF_ToSegEnd"}})", kSt, kSe}, "ST*837*0001~\nSE*2*0001~\n"},
        // A comment first: the first member after comments decides the form.
        Form{"CommentFirst", {R"({"#": "batch 7", "set": {"SegCount": "5"}})", kSe}, "SE*6*0001~"},
        Form{"CommentLine", {R"({"#": "only a note"})", kSt}, "ST*837*0001~"},
        Form{"Verbs",
             {kSt, R"({"assign": {"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": "0002"}}})",
              R"({"additem": "L1_ST_00_TransSetHeader"})", R"({"clear": "L1_ST_00_TransSetHeader"})",
              R"({"ADDITEM": "l1_st_00_transsetheader"})"},
             "ST*837*0001~ST*837*0002~ST*~"},
        Form{"EscapedText", {R"({"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": "\u0041\"\\\/"}})"},
             "ST**A\"\\/~"}),
    [](const auto& info) { return std::string(info.param.name); });

// The example interchange, one step per line, writes the example's bytes.
TEST(OneStepPerLineExample, WritesTheSameBytesAsTheClassicForm) {
    const std::string text = read_file(std::string(VIREO_EXAMPLES_DIR) + "/professional-claims.json");
    const auto script = nlohmann::ordered_json::parse(text);
    std::string as_lines;
    for (const auto& step : script["steps"]) as_lines += step.dump() + "\n";
    const Outcome a = run(text), b = run(as_lines);
    ASSERT_EQ(a.status, 0) << a.errors;
    ASSERT_EQ(b.status, 0) << b.errors;
    EXPECT_GT(a.output.size(), 1000u);
    EXPECT_EQ(a.output, b.output);
}

// The examples with every bookkeeping value left out (HL01, HL02, HL04, LX01,
// SE01, SE02, GE01, GE02, IEA01, IEA02 and the SegCount steps) and "auto":
// true: the same bytes, the same segment count, and the guide finds nothing.
TEST(AutoBookkeepingExample, WritesTheBytesOfTheExampleThatSetsEveryValue) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> left_out = {
        {"_HL_", {"m01_", "m02_", "m04_"}}, {"_LX_", {"m01_"}}, {"_SE_", {"m01_", "m02_"}},
        {"_GE_", {"m01_", "m02_"}}, {"_IEA_", {"m01_", "m02_"}}};
    for (const char* example : {"professional-claims.json", "professional-claims-5010.json"}) {
        const std::string text = read_file(std::string(VIREO_EXAMPLES_DIR) + "/" + example);
        auto script = nlohmann::ordered_json::parse(text);
        nlohmann::ordered_json steps = nlohmann::ordered_json::array();
        int emptied = 0;
        for (auto step : script["steps"]) {
            if (step.contains("set") && step["set"].contains("SegCount")) continue;
            for (auto& [property, fields] : step.items()) {
                for (const auto& [segment, prefixes] : left_out) {
                    if (property.find(segment) == std::string::npos) continue;
                    for (const std::string& prefix : prefixes) {
                        for (auto it = fields.begin(); it != fields.end();) {
                            it = it.key().rfind(prefix, 0) == 0 ? (++emptied, fields.erase(it)) : std::next(it);
                        }
                    }
                }
            }
            steps.push_back(step);
        }
        script["steps"] = steps;
        nlohmann::ordered_json automatic_script = {{"auto", true}};  // before "steps"
        for (const auto& [key, value] : script.items()) automatic_script[key] = value;
        EXPECT_GT(emptied, 20) << example;

        vireo_runner::RunOptions options;
        options.check = vireo_runner::RunOptions::Check::Report;
        std::ostringstream err;
        options.output = temp_path();
        const auto expected = vireo_runner::run_script(text, options, err);
        const std::string expected_bytes = read_file(options.output);
        options.output = temp_path();
        const auto automatic = vireo_runner::run_script(automatic_script.dump(), options, err);
        ASSERT_EQ(expected.exit_status, 0) << err.str();
        ASSERT_EQ(automatic.exit_status, 0) << err.str();
        EXPECT_EQ(read_file(options.output), expected_bytes) << example;
        EXPECT_EQ(automatic.segments, expected.segments) << example;
        EXPECT_EQ(automatic.check_errors + automatic.check_warnings, 0u) << err.str();
    }
}

struct Misplaced {
    const char* name;
    std::string script;
    std::string message;  // the whole first line of the error output
};

class ErrorPlace : public ::testing::TestWithParam<Misplaced> {};

TEST_P(ErrorPlace, NamesTheLineColumnAndStep) {
    for (std::size_t piece : {0, 5}) {
        const Outcome r = run(GetParam().script, piece);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors, GetParam().message + "\n") << "read " << piece << " bytes at a time";
        EXPECT_EQ(r.output, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorPlace,
    ::testing::Values(
        Misplaced{"CodeOnThirdLine", lines({kSt, kSe, R"(  {"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": "838"}})"}),
                  "<script>:3:57: step 3: \"838\" is not in the code list L1_ST_01_143_3_TransSetIdentCode of "
                  "L1_ST_00.m01_TransSetIdentCode; its codes are \"837\""},
        Misplaced{"MalformedSecondLine", lines({kSt, R"({"set" {}})", kSe}),
                  "<script>:2:8: step 2: malformed JSON: syntax error while parsing object separator - "
                  "unexpected '{'; expected ':'"},
        Misplaced{"UnfinishedLastLine", lines({kSt}) + R"({"set": {)",
                  "<script>:2:10: step 2: malformed JSON: syntax error while parsing object key - "
                  "unexpected end of input; expected string literal"},
        // Read straight from the script (plain values) or by the JSON parser
        // (an escape), a value is placed at its first character.
        Misplaced{"EscapedCode", lines({R"({"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": "83\u0038"}})"}),
                  "<script>:1:55: step 1: \"838\" is not in the code list L1_ST_01_143_3_TransSetIdentCode of "
                  "L1_ST_00.m01_TransSetIdentCode; its codes are \"837\""},
        Misplaced{"BooleanForText", lines({R"({"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": true}})"}),
                  "<script>:1:56: step 1: L1_ST_00.m02_TransSetControlNum is a text field: it takes a string, not a "
                  "Boolean"},
        Misplaced{"IntegerForBoolean", lines({R"({"set": {"Annotation": 1}})"}),
                  "<script>:1:24: step 1: Annotation takes true or false, not an integer"},
        // A field named twice, in any case, would lose its first value.
        Misplaced{"SecondOfTwoSameFields",
                  lines({R"({"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": "1", "M02_TRANSSETCONTROLNUM": 2}})"}),
                  "<script>:1:61: step 1: L1_ST_00.m02_TransSetControlNum is named twice in one object of fields; each "
                  "field is set once"},
        Misplaced{"ClassicMemberAfterSteps", "{\"steps\": [" + kSt + "],\n \"x\": 1}",
                  "<script>:2:2: after step 1: unknown script member \"x\"; a script has \"output\", \"guide\", "
                  "\"auto\" and \"steps\""},
        Misplaced{"AutoAfterSteps", "{\"steps\": [" + kSt + "],\n \"auto\": true}",
                  "<script>:2:10: after step 1: \"auto\" must come before \"steps\""},
        Misplaced{"AutoNotBoolean", "{\"auto\": 1, \"steps\": [" + kSt + "]}",
                  "<script>:1:10: \"auto\" takes true or false, not an integer"},
        // A byte that only ends or separates values, where a step or a value
        // should begin, is refused where it stands, whatever follows it.
        Misplaced{"CommaAfterEveryLine", lines({kSt + ",", kSe + ","}),
                  "<script>:1:96: step 2: malformed JSON: syntax error while parsing value - unexpected ','; expected "
                  "'[', '{', or a literal"},
        Misplaced{"BracketOnItsOwnLine", lines({kSt, "]", kSe}),
                  "<script>:2:1: step 2: malformed JSON: syntax error while parsing value - unexpected ']'; expected "
                  "'[', '{', or a literal"},
        Misplaced{"ClassicTrailingComma", "{\"steps\": [" + kSt + ",]}",
                  "<script>:1:108: step 2: malformed JSON: syntax error while parsing value - unexpected ']'; expected "
                  "'[', '{', or a literal"},
        // A script's member names are JSON strings like any other.
        Misplaced{"LineBreakInMemberName", "{\"st\neps\": []}",
                  "<script>:1:5: malformed JSON: syntax error while parsing value - invalid string: control character "
                  "U+000A (LF) must be escaped to \\u000A or \\n; last read: '\"st<U+000A>'"},
        Misplaced{"MemberWithoutValue", R"({"output": , "steps": []})",
                  "<script>:1:12: malformed JSON: syntax error while parsing value - unexpected ','; expected "
                  "'[', '{', or a literal"},
        // A line break the parser read, or read and put back, is placed where it
        // stands, at the end of its own line.
        Misplaced{"LineBreakInString", lines({R"({"set": {"Filename": "a)", R"(b"}})"}),
                  "<script>:1:24: step 1: malformed JSON: syntax error while parsing value - invalid string: control "
                  "character U+000A (LF) must be escaped to \\u000A or \\n; last read: '\"a<U+000A>'"},
        Misplaced{"NumberBeforeLineBreak", lines({R"({"set": {"NewLine" 1)", "}}"}),
                  "<script>:1:20: step 1: malformed JSON: syntax error while parsing object separator - unexpected "
                  "number literal; expected ':'"},
        // An integer beyond 64 bits is an integer all the same, too large for any property.
        Misplaced{"NewLineBeyond64Bits", lines({R"({"set": {"NewLine": 123456789012345678901234}})"}),
                  "<script>:1:21: step 1: NewLine takes a 32-bit integer; this one is out of range"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- rows: a segment step that names its fields once ----

namespace rows {

const std::string kColumns =
    R"({"columns": {"L2010AA_NM1_00_BillPROVName": ["m01_EntityIdentCode", "m03_BillPROVLastorOrgalName", "m09_BillPROVIdent"],)"
    R"( "L1_ST_00_TransSetHeader": ["m02_TransSetControlNum"]}})";

struct RowCase {
    const char* name;
    std::vector<std::string> rows;      // after kColumns
    std::vector<std::string> segments;  // the same calls as segment steps
    std::string bytes;
};

class Rows : public ::testing::TestWithParam<RowCase> {};

TEST_P(Rows, WriteWhatTheSameSegmentStepsWrite) {
    const RowCase& c = GetParam();
    std::vector<std::string> with_columns{kColumns};
    with_columns.insert(with_columns.end(), c.rows.begin(), c.rows.end());
    for (const std::string& script : {classic(with_columns), lines(with_columns), classic(c.segments)}) {
        for (std::size_t piece : {0, 1, 7}) {
            const Outcome r = run(script, piece);
            ASSERT_EQ(r.status, 0) << r.errors;
            EXPECT_EQ(r.output, c.bytes) << script << " read " << piece << " bytes at a time";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rows,
    ::testing::Values(
        RowCase{"Values",
                {R"(["L2010AA_NM1_00_BillPROVName", "85", "ACME", "1234567893"])",
                 R"(["L2010AA_NM1_00_BillPROVName", "val_85_BillPROV_98_127", "O'NEIL", null])",
                 R"(["L1_ST_00_TransSetHeader", "0001"])"},
                {R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "85", "m03_BillPROVLastorOrgalName": "ACME", "m09_BillPROVIdent": "1234567893"}})",
                 R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "85", "m03_BillPROVLastorOrgalName": "O'NEIL"}})",
                 R"({"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": "0001"}})"},
                "NM1*85**ACME******1234567893~NM1*85**O'NEIL~ST**0001~"},
        // A row clears first, as a segment step does: a field set by "assign" is gone.
        RowCase{"ClearsFirst",
                {R"({"assign": {"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": "837"}}})",
                 R"(["L1_ST_00_TransSetHeader", "7"])", R"({"additem": "L1_ST_00_TransSetHeader"})"},
                {R"({"assign": {"L1_ST_00_TransSetHeader": {"m01_TransSetIdentCode": "837"}}})",
                 R"({"L1_ST_00_TransSetHeader": {"m02_TransSetControlNum": "7"}})",
                 R"({"additem": "L1_ST_00_TransSetHeader"})"},
                "ST**7~ST**7~"},
        // Spacing inside a row, an integer Code value, null, -0; and values with
        // escapes, which a row of plain values never holds: every way of
        // writing the same values gives the same bytes.
        RowCase{"SpacingIntegersAndEscapes",
                {"[ \"L2010AA_NM1_00_BillPROVName\" ,\n 14389 ,\"ACME\",null ]",
                 R"(["L2010AA_NM1_00_BillPROVName", "8\u0035", "AC\u004DE", null])",
                 R"(["L2010AA_NM1_00_BillPROVName", -0, "X", "1"])"},
                {R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "85", "m03_BillPROVLastorOrgalName": "ACME"}})",
                 R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": "85", "m03_BillPROVLastorOrgalName": "ACME"}})",
                 R"({"L2010AA_NM1_00_BillPROVName": {"m01_EntityIdentCode": 0, "m03_BillPROVLastorOrgalName": "X", "m09_BillPROVIdent": "1"}})"},
                "NM1*85**ACME~NM1*85**ACME~NM1***X******1~"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BadRow {
    const char* name;
    std::string steps;  // one per line, after kColumns
    std::string message;
};

class RowErrors : public ::testing::TestWithParam<BadRow> {};

TEST_P(RowErrors, NameTheRowAndKeepTheOutput) {
    for (std::size_t piece : {0, 3}) {
        const Outcome r = run(kColumns + "\n" + GetParam().steps + "\n", piece);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors, GetParam().message + "\n") << "read " << piece << " bytes at a time";
        EXPECT_EQ(r.output, "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RowErrors,
    ::testing::Values(
        BadRow{"NoColumns", R"(["L2440_SE_00_TransSetTrailer", "5"])",
               "<script>:2:2: step 2: no \"columns\" step has named the fields of a \"L2440_SE_00_TransSetTrailer\" row"},
        BadRow{"TooManyValues", R"(["L1_ST_00_TransSetHeader", "1", "2"])",
               "<script>:2:34: step 2: the row has more values than the 1 columns of L1_ST_00_TransSetHeader"},
        BadRow{"TooFewValues", R"(["L2010AA_NM1_00_BillPROVName", "85"])",
               "<script>:2:33: step 2: the row has 1 values for the 3 columns of L2010AA_NM1_00_BillPROVName"},
        BadRow{"CodeNotInList", R"(["L2010AA_NM1_00_BillPROVName", "86", "X", "1"])",
               "<script>:2:33: step 2: \"86\" is not in the code list L2010AA_NM1_01_98_127_EntityIdentCode of "
               "L2010AA_NM1_00.m01_EntityIdentCode; its codes are \"85\""},
        BadRow{"UnknownColumn", R"({"columns": {"L1_ST_00_TransSetHeader": ["m02_TransSetControlNo"]}})",
               "<script>:2:42: step 2: L1_ST_00 has no field \"m02_TransSetControlNo\" (did you mean "
               "\"m02_TransSetControlNum\"?)"},
        BadRow{"NumberFirst", R"([1, "2"])",
               "<script>:2:2: step 2: a row begins with a segment object property name, not an integer"},
        // The same places and words whether a row is read straight from the
        // script (plain values) or by the JSON parser (anything else).
        BadRow{"TooFewEscapedValues", R"(["L2010AA_NM1_00_BillPROVName", "\u0038\u0035"])",
               "<script>:2:33: step 2: the row has 1 values for the 3 columns of L2010AA_NM1_00_BillPROVName"},
        BadRow{"NegativeCode", R"(["L2010AA_NM1_00_BillPROVName", -5, "X", "1"])",
               "<script>:2:33: step 2: -5 (code text \"\u00FF\u00FF\u00FF\u00FB\") is not in the code list "
               "L2010AA_NM1_01_98_127_EntityIdentCode of L2010AA_NM1_00.m01_EntityIdentCode; its codes are \"85\""},
        BadRow{"CodeBeyond32Bits", R"(["L2010AA_NM1_00_BillPROVName", 1234567890123456789, "X", "1"])",
               "<script>:2:33: step 2: L2010AA_NM1_00.m01_EntityIdentCode takes a 32-bit Code value; this integer "
               "is out of range"},
        BadRow{"CodeWithFraction", R"(["L2010AA_NM1_00_BillPROVName", 8.5, "X", "1"])",
               "<script>:2:33: step 2: L2010AA_NM1_00.m01_EntityIdentCode is a code field of "
               "L2010AA_NM1_01_98_127_EntityIdentCode: it takes a code text, a member name or an integer, not a "
               "number with a fraction"},
        BadRow{"BooleanForText", R"(["L2010AA_NM1_00_BillPROVName", "85", true, "1"])",
               "<script>:2:39: step 2: L2010AA_NM1_00.m03_BillPROVLastorOrgalName is a text field: it takes a "
               "string, not a Boolean"},
        BadRow{"NullFirst", R"([null, "1"])",
               "<script>:2:2: step 2: a row begins with a segment object property name, not null"},
        BadRow{"Empty", "[]", "<script>:2:1: step 2: a row is empty: it begins with a segment object property"},
        BadRow{"Nested", R"(["L2010AA_NM1_00_BillPROVName", ["85"], "X", "1"])",
               "<script>:2:33: step 2: a row holds values, not an array"},
        BadRow{"TrailingComma", R"(["L1_ST_00_TransSetHeader", "1",])",
               "<script>:2:33: step 2: malformed JSON: syntax error while parsing value - unexpected ']'; expected "
               "'[', '{', or a literal"},
        BadRow{"LeadingZero", R"(["L2010AA_NM1_00_BillPROVName", 014389, "X", "1"])",
               "<script>:2:38: step 2: malformed JSON: syntax error while parsing array - unexpected number literal; "
               "expected ']'"},
        BadRow{"BrokenLiteral", R"(["L1_ST_00_TransSetHeader", nullx])",
               "<script>:2:33: step 2: malformed JSON: syntax error while parsing array - invalid literal; last read: "
               "'\"L1_ST_00_TransSetHeader\", nullx'; expected ']'"},
        BadRow{"ControlCharacter", "[\"L1_ST_00_TransSetHeader\", \"A\tB\"]",
               "<script>:2:31: step 2: malformed JSON: syntax error while parsing value - invalid string: control "
               "character U+0009 (HT) must be escaped to \\u0009 or \\t; last read: '\"A<U+0009>'"},
        // The byte that is not UTF-8 is shown escaped, never sent to the terminal.
        BadRow{"NotUtf8", "[\"L1_ST_00_TransSetHeader\", \"A\xff\"]",
               "<script>:2:31: step 2: malformed JSON: syntax error while parsing value - invalid string: ill-formed "
               "UTF-8 byte; last read: '\"A\\u00ff'"},
        // Integers that 64 bits cannot hold, or only unsigned: too large for a
        // Code value, wherever the reader takes them from.
        BadRow{"CodeOf19Digits", R"(["L2010AA_NM1_00_BillPROVName", 9999999999999999999, "X", "1"])",
               "<script>:2:33: step 2: L2010AA_NM1_00.m01_EntityIdentCode takes a 32-bit Code value; this integer "
               "is out of range"},
        BadRow{"CodeBeyond64Bits", R"(["L2010AA_NM1_00_BillPROVName", 123456789012345678901234567890, "X", "1"])",
               "<script>:2:33: step 2: L2010AA_NM1_00.m01_EntityIdentCode takes a 32-bit Code value; this integer "
               "is out of range"},
        BadRow{"MalformedLongInteger", R"(["L2010AA_NM1_00_BillPROVName", 0123456789012345678901, "X", "1"])",
               "<script>:2:54: step 2: malformed JSON: syntax error while parsing array - unexpected number literal; "
               "expected ']'"},
        // A column named twice (in any case) would take two values of each row and keep one.
        BadRow{"ColumnNamedTwice",
               R"({"columns": {"L1_ST_00_TransSetHeader": ["m02_TransSetControlNum", "M02_TRANSSETCONTROLNUM"]}})",
               "<script>:2:68: step 2: \"columns\" names L1_ST_00.m02_TransSetControlNum twice for "
               "L1_ST_00_TransSetHeader; a row sets each field once"},
        BadRow{"CommaAfterARow", R"(["L1_ST_00_TransSetHeader", "1"],)",
               "<script>:2:33: step 3: malformed JSON: syntax error while parsing value - unexpected ','; expected "
               "'[', '{', or a literal"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace rows

}  // namespace
