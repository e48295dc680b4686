// Code values, composite joining, trimming, fixed widths, hex and date
// conversions, and the Windows-1252 text encoding.
#include <gtest/gtest.h>

#include "vireo/core/code.h"
#include "vireo/core/errors.h"
#include "vireo/core/text.h"

using namespace prjVireo;

struct CodeCase {
    std::int32_t value;
    std::string text;
    bool present;
};

class CodeToStringTest : public ::testing::TestWithParam<CodeCase> {};

TEST_P(CodeToStringTest, GivesCodeTextAndPresence) {
    const CodeCase& c = GetParam();
    EXPECT_EQ(CodeToString(c.value), c.text);
    EXPECT_EQ(code_is_present(c.value), c.present);
    // The presence test is an ordinal comparison of the code text with " ".
    EXPECT_EQ(c.present, CodeToString(c.value) > std::string(" "));
}

INSTANTIATE_TEST_SUITE_P(
    Values, CodeToStringTest,
    ::testing::Values(CodeCase{0, "", false}, CodeCase{3683127, "837", true},
                      CodeCase{808464697, "0019", true}, CodeCase{0x59, "Y", true},
                      // odd digit count: the last digit stands alone
                      CodeCase{0x303, std::string("0\x03", 2), true},
                      CodeCase{0x20, " ", false}, CodeCase{0x2041, " A", true},
                      CodeCase{0x1F, "\x1F", false}, CodeCase{0x120, std::string("\x12\0", 2), false},
                      // negative values use all eight two's-complement digits
                      CodeCase{-1, "\xC3\xBF\xC3\xBF\xC3\xBF\xC3\xBF", true},
                      // 0x80 is the euro sign in the ANSI code page
                      CodeCase{0x80, "\xE2\x82\xAC", true}));

TEST(CodeValue, IsTheBytesOfTheCode) {
    EXPECT_EQ(code_value("837"), 3683127);
    EXPECT_EQ(code_value("0019"), 808464697);
    EXPECT_EQ(code_value("Y"), 0x59);
    static_assert(code_value("ZZ") == 0x5A5A);
}

TEST(StringToHex, WritesEachCharacterWithoutLeadingZeros) {
    EXPECT_EQ(StringToHex("837"), "&h383337");
    EXPECT_EQ(StringToHex(""), "&h");
    EXPECT_EQ(StringToHex("0019"), "&h30303139");
    EXPECT_EQ(StringToHex("\t"), "&h9");
    EXPECT_EQ(StringToHex("\xE2\x82\xAC"), "&h80");  // euro sign, ANSI code 0x80
    EXPECT_EQ(StringToHex("\xE4\xB8\xAD"), "&h3F");  // not in the code page: "?"
}

TEST(DateToCCYYMMDD, FormatsYearMonthDay) {
    using namespace std::chrono;
    EXPECT_EQ(Date_to_CCYYMMDD(year(1999) / December / 31), "19991231");
    EXPECT_EQ(Date_to_CCYYMMDD(year(2004) / March / 5), "20040305");
    EXPECT_EQ(Date_to_CCYYMMDD(year(100) / January / 1), "01000101");
}

TEST(OleDate, CountsDaysFrom1899AndIgnoresTheTime) {
    using namespace std::chrono;
    EXPECT_EQ(date_from_ole(0), year(1899) / December / 30);
    EXPECT_EQ(date_from_ole(36525.75), year(1999) / December / 31);
    EXPECT_EQ(date_from_ole(-1.5), year(1899) / December / 29);
    EXPECT_EQ(ole_from_date(year(2004) / March / 5), 38051);
    EXPECT_THROW(date_from_ole(3e6), VbError);
}

struct JoinCase {
    std::vector<std::string> components;  // index 0 is the unused slot
    std::optional<std::string> joined;
};

class JoinCompositeTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinCompositeTest, DropsTrailingEmptiesKeepsInnerOnes) {
    EXPECT_EQ(JoinComposite(GetParam().components, ":"), GetParam().joined);
}

INSTANTIATE_TEST_SUITE_P(
    Values, JoinCompositeTest,
    ::testing::Values(JoinCase{{"", "HC", "99213", "", "", ""}, "HC:99213"}, JoinCase{{"", "", "X"}, ":X"},
                      JoinCase{{"", "A", "", "B"}, "A::B"}, JoinCase{{"", "", "", ""}, std::nullopt},
                      JoinCase{{"", "A"}, "A"}, JoinCase{{"IGNORED", "", ""}, std::nullopt},
                      JoinCase{{}, std::nullopt}));

TEST(TrimTrailingSeparators, RemovesOnlyTheTrailingRun) {
    EXPECT_EQ(TrimTrailingSeparators("837*0001**", "*"), "837*0001");
    EXPECT_EQ(TrimTrailingSeparators("***", "*"), "");
    EXPECT_EQ(TrimTrailingSeparators("", "*"), "");
    EXPECT_EQ(TrimTrailingSeparators("A**B**", "*"), "A**B");
    // a separator of several UTF-8 bytes is one character
    EXPECT_EQ(TrimTrailingSeparators("A\xC2\xA7\xC2\xA7", "\xC2\xA7"), "A");
}

TEST(PadRight, FillsOrCutsToTheWidth) {
    EXPECT_EQ(PadRight("AB", 5), "AB   ");
    EXPECT_EQ(PadRight("ABCDEFG", 5), "ABCDE");
    EXPECT_EQ(PadRight("ABC", 0), "");
    EXPECT_EQ(PadRight("\xC3\xA9X", 3), "\xC3\xA9X ");  // width counts characters, not bytes
    try {
        PadRight("A", -1);
        FAIL() << "negative width accepted";
    } catch (const VbError& e) {
        EXPECT_EQ(e.number(), 5);
    }
}

TEST(AnsiText, ConvertsUtf8ToWindows1252) {
    std::string out;
    text::append_ansi(out, "A\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\xFFZ");
    // é -> E9, € -> 80, a CJK character -> ?, an invalid byte -> ?
    EXPECT_EQ(out, "A\xE9\x80??Z");
    EXPECT_EQ(text::first_character(""), " ");
    EXPECT_EQ(text::first_character("|x"), "|");
    EXPECT_EQ(text::first_character("\xC2\xA7rest"), "\xC2\xA7");
}
