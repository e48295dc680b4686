// Hostile values through Additem: the count at its limit, a 50 MB field,
// invalid UTF-8, NUL characters and delimiters inside fields.
#include <limits>

#include "fault_support.h"

using namespace prjVireo;
using vireo_fault::attempt;
using vireo_fault::FaultTest;
using vireo_fault::Outcome;

namespace {
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
}

class InputFault : public FaultTest {
protected:
    void SetUp() override {
        FaultTest::SetUp();
        path = vireo_test::temp_path();
        ctl->OpenFile(path);
    }
    std::string written() {
        ctl->CloseFile();
        return vireo_test::read_file(path);
    }
    std::string path;
};

// The segment count is a 32-bit signed number: it reaches 2147483647 without
// error, and one more is an overflow, raised where the count is first computed
// (the event's argument).
struct OverflowCase {
    const char* name;
    std::int32_t start;
    bool trapped;
    bool trailer;
    int error;
    int events;
    const char* bytes;
    const char* se_count_field;
};

class CountLimit : public InputFault, public ::testing::WithParamInterface<OverflowCase> {};

TEST_P(CountLimit, OverflowFollowsTheErrorTrapRule) {
    const OverflowCase& c = GetParam();
    trap(c.trapped);
    writer_state().segment_count = c.start;
    int events = 0;
    ctl->BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t&) { ++events; });
    Outcome added;
    if (c.trailer) {
        auto se = ctl->L2440_SE_00_TransSetTrailer();
        se->m02_TransSetControlNum = "0001";
        added = attempt([&] { se->Additem(); });
        EXPECT_EQ(se->m01_TransSegCount, c.se_count_field);
    } else {
        added = add_st();
    }
    EXPECT_EQ(added.number, c.error);
    if (c.error) {
        EXPECT_EQ(added.message, "Overflow: segment count");
    }
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(count(), kMax);
    EXPECT_EQ(written(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, CountLimit,
    ::testing::Values(
        // Passed over: no event (its count argument overflowed), the segment is written.
        OverflowCase{"st_reaching_the_limit", kMax - 1, true, false, 0, 1, "ST*837*0001~", ""},
        OverflowCase{"st_without_error_trap", kMax, false, false, 0, 0, "ST*837*0001~", ""},
        OverflowCase{"st_with_error_trap", kMax, true, false, vbErrOverflow, 0, "", ""},
        OverflowCase{"se_without_error_trap", kMax, false, true, 0, 0, "SE*2147483647*0001~", "2147483647"},
        OverflowCase{"se_with_error_trap", kMax, true, true, vbErrOverflow, 0, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InputFault, FiftyMegabyteFieldIsWrittenExactly) {
    std::string big(50 * 1000 * 1000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('0' + i % 10);
    std::size_t announced = 0;
    ctl->BeforeAdd.connect([&](std::string& v, std::int32_t&, std::int16_t&) { announced = v.size(); });
    EXPECT_FALSE(add_st(big).raised);
    EXPECT_FALSE(add_st("0002").raised);
    const std::string segment = "ST*837*" + big + "~";
    EXPECT_EQ(announced, 12u);  // the last one
    std::string out = written();
    ASSERT_EQ(out.size(), segment.size() + 12);
    EXPECT_TRUE(out == segment + "ST*837*0002~");
}

struct TextCase {
    const char* name;
    std::string field;
    std::string bytes;  // what the field becomes in the file
};

class FieldText : public InputFault, public ::testing::WithParamInterface<TextCase> {};

TEST_P(FieldText, IsWrittenAsDocumented) {
    add_st(GetParam().field);
    EXPECT_EQ(written(), "ST*837*" + GetParam().bytes + "~");
}

INSTANTIATE_TEST_SUITE_P(
    Values, FieldText,
    ::testing::Values(
        // Windows-1252 holds the euro sign; every byte of invalid UTF-8 becomes "?"
        // (a letter of the code page, one outside it and the byte FF on both
        // assembly paths are AssemblyPaths cases).
        TextCase{"euro_sign", "\xE2\x82\xAC" "5", "\x80" "5"}, TextCase{"stray_continuation_byte", "A\x80" "B", "A?B"},
        TextCase{"truncated_sequence", "A\xE2\x82", "A??"}, TextCase{"overlong_slash", "\xC0\xAF", "??"},
        TextCase{"surrogate_half", "\xED\xA0\x80", "???"},
        TextCase{"beyond_unicode", "\xF4\x90\x80\x80", "????"},
        // NUL is an ordinary character: written as a NUL byte, the rest follows.
        TextCase{"nul_inside", std::string("A\0B", 3), std::string("A\0B", 3)},
        // Delimiters and line ends inside a field are not escaped.
        TextCase{"delimiters_inside", "A*B:C~D", "A*B:C~D"}, TextCase{"line_ends_inside", "A\r\nB\n", "A\r\nB\n"},
        // Only a separator at the very end of the segment's text is removed.
        TextCase{"trailing_separators", "0001**", "0001"}),
    [](const auto& info) { return std::string(info.param.name); });

// Strict values (off by default: the table above writes delimiters unchanged).
// On, a value holding a delimiter is refused before anything is announced or
// written, whatever ErrorTrap says, on the compiled path (nobody listening) as
// on the announced one, and the count does not move.
struct StrictCase {
    const char* name;
    void (*fill)(vireo& ctl);
    bool listened;
    bool trapped;
    std::string message;  // "" when the segment is written
    std::string bytes;    // what the file holds afterwards
};

void st_with(vireo& ctl, const std::string& number) {
    auto st = ctl.L1_ST_00_TransSetHeader();
    st->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
    st->m02_TransSetControlNum = number;
    st->Additem();
}

const StrictCase kStrictCases[] = {
    {"separator_in_text_nobody_listening", [](vireo& c) { st_with(c, "O*BRIEN"); }, false, false,
     "Invalid procedure call or argument: ST (L1_ST_00.m02_TransSetControlNum) holds \"*\", the data element "
     "separator; strict values refuse it",
     ""},
    {"terminator_in_text_announced", [](vireo& c) { st_with(c, "1~NM1"); }, true, true,
     "Invalid procedure call or argument: ST (L1_ST_00.m02_TransSetControlNum) holds \"~\", the segment "
     "terminator; strict values refuse it",
     ""},
    {"component_separator_in_a_composite",
     [](vireo& c) {
         auto clm = c.L2300_CLM_00_CLMInfo();
         clm->m01_PatAccountNum = "PAT1";
         clm->m0501_FacTypeCode = "11:1";
         clm->Additem();
     },
     false, false,
     "Invalid procedure call or argument: CLM (L2300_CLM_00.m0501_FacTypeCode) holds \":\", the component "
     "separator; strict values refuse it",
     ""},
    {"code_value_that_spells_the_terminator",
     [](vireo& c) {
         auto nm1 = c.L2010AA_NM1_00_BillPROVName();
         nm1->m01_EntityIdentCode = static_cast<L2010AA_NM1_01_98_127_EntityIdentCode>(126);
         nm1->Additem();
     },
     false, true,
     "Invalid procedure call or argument: NM1 (L2010AA_NM1_00.m01_EntityIdentCode) holds \"~\", the segment "
     "terminator; strict values refuse it",
     ""},
    {"control_character_terminator",
     [](vireo& c) {
         c.SegmentTerminator("\x1D");
         st_with(c, "A\x1D");
     },
     false, false,
     "Invalid procedure call or argument: ST (L1_ST_00.m02_TransSetControlNum) holds \\x1D, the segment "
     "terminator; strict values refuse it",
     ""},
    {"clean_values_are_written", [](vireo& c) { st_with(c, "0001"); }, false, false, "", "ST*837*0001~"},
    // The interchange header's last element declares the component separator itself.
    {"isa16_declares_the_component_separator",
     [](vireo& c) {
         auto isa = c.L0_ISA_00_IntControlHeader();
         isa->m16_ComponentElementSeparator = ":";
         isa->Additem();
     },
     false, false, "",
     "ISA**          **          **               **               *****         ***:~"},
};

class StrictValues : public InputFault, public ::testing::WithParamInterface<StrictCase> {};

TEST_P(StrictValues, RefuseDelimitersInsideValues) {
    const StrictCase& c = GetParam();
    EXPECT_FALSE(ctl->StrictValues());  // off unless asked for
    ctl->StrictValues(true);
    trap(c.trapped);
    int events = 0;
    if (c.listened) ctl->BeforeAdd.connect([&](std::string&, std::int32_t&, std::int16_t&) { ++events; });
    const Outcome added = attempt([&] { c.fill(*ctl); });
    EXPECT_EQ(added.message, c.message);
    EXPECT_EQ(count(), c.message.empty() ? 1 : 0);
    if (!c.message.empty()) {
        EXPECT_EQ(events, 0);
    }
    ctl->StrictValues(false);
    EXPECT_EQ(written(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, StrictValues, ::testing::ValuesIn(kStrictCases),
                         [](const auto& info) { return std::string(info.param.name); });
