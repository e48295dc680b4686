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

// The segment count is a 32-bit signed number: one more than 2147483647 is an
// overflow, raised where the count is first computed (the event's argument).
struct OverflowCase {
    const char* name;
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
    writer_state().segment_count = kMax;
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
        OverflowCase{"st_without_error_trap", false, false, 0, 0, "ST*837*0001~", ""},
        OverflowCase{"st_with_error_trap", true, false, vbErrOverflow, 0, "", ""},
        OverflowCase{"se_without_error_trap", false, true, 0, 0, "SE*2147483647*0001~", "2147483647"},
        OverflowCase{"se_with_error_trap", true, true, vbErrOverflow, 0, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InputFault, CountReachesTheLimitWithoutError) {
    trap(true);
    writer_state().segment_count = kMax - 1;
    EXPECT_FALSE(add_st().raised);
    EXPECT_EQ(ctl->SegCount(), "2147483647");
}

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
        // Windows-1252 holds these.
        TextCase{"latin_letter", "Jos\xC3\xA9", "Jos\xE9"}, TextCase{"euro_sign", "\xE2\x82\xAC" "5", "\x80" "5"},
        // Characters the code page lacks, and every byte of invalid UTF-8, become "?".
        TextCase{"outside_code_page", "\xE4\xB8\xAD", "?"},
        TextCase{"stray_continuation_byte", "A\x80" "B", "A?B"}, TextCase{"byte_ff", "\xFF", "?"},
        TextCase{"truncated_sequence", "A\xE2\x82", "A??"}, TextCase{"overlong_slash", "\xC0\xAF", "??"},
        TextCase{"surrogate_half", "\xED\xA0\x80", "???"},
        TextCase{"beyond_unicode", "\xF4\x90\x80\x80", "????"},
        // NUL is an ordinary character: written as a NUL byte, the rest follows.
        TextCase{"nul_inside", std::string("A\0B", 3), std::string("A\0B", 3)},
        TextCase{"only_nul", std::string(1, '\0'), std::string(1, '\0')},
        // Delimiters and line ends inside a field are not escaped.
        TextCase{"delimiters_inside", "A*B:C~D", "A*B:C~D"}, TextCase{"line_ends_inside", "A\r\nB\n", "A\r\nB\n"},
        // Only a separator at the very end of the segment's text is removed.
        TextCase{"trailing_separators", "0001**", "0001"}),
    [](const auto& info) { return std::string(info.param.name); });
