// The guide checker on files: each case changes a valid 837 the way a host's
// mistake would and names every finding the checker must report, by segment
// number (ISA = 1), loop, segment, element, severity and rule. No other
// finding may appear.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "minimal_837.h"
#include "vireo/checker/guide_checker.h"

namespace {

using prjVireo::Finding;
using prjVireo::GuideChecker;

using vireo_checker_test::kMinimal;
using vireo_checker_test::Segments;

// The same sender and billing provider; a subscriber with a patient level
// under it, one claim of two lines.
const Segments kPatient = [] {
    Segments s(kMinimal.begin(), kMinimal.begin() + 13);
    s.insert(s.end(), {
        "HL*2*1*22*1",
        "SBR*P**GRP20931******CI",
        "NM1*IL*1*MILLER*ROBERT****MI*PHP778812301",
        "NM1*PR*2*PRAIRIE HEALTH PLAN*****PI*PHP01",
        "HL*3*2*23*0",
        "PAT*19",
        "NM1*QC*1*MILLER*EMMA",
        "N3*912 ELM STREET",
        "N4*CHATHAM*IL*62629",
        "DMG*D8*20190415*F",
        "CLM*EM240112C*75***11::1*Y*A*Y*Y*C",
        "HI*BK:V202*BF:V061",
        "LX*1",
        "SV1*HC:99393*45*UN*1***1",
        "DTP*472*D8*20240112",
        "LX*2",
        "SV1*HC:90460*30*UN*1***2",
        "DTP*472*D8*20240112",
        "SE*30*0001",
        "GE*1*1",
        "IEA*1*000000001",
    });
    return s;
}();

std::string render(const Segments& segments, const std::string& end = "~\n") {
    std::string out;
    for (const std::string& s : segments) out += s + end;
    return out;
}

// "24 2400 SV1[SV102] error type": the parts of a finding a case names.
std::string key(const Finding& f) {
    std::string k = std::to_string(f.segment);
    if (!f.loop.empty()) k += " " + f.loop;
    if (!f.segment_id.empty()) k += " " + f.segment_id;
    if (!f.element.empty()) k += "[" + f.element + "]";
    k += f.severity == Finding::Severity::Error ? " error " : " warning ";
    return k + f.rule;
}

std::vector<std::string> check(const std::string& bytes, std::size_t piece = 0) {
    GuideChecker checker;
    checker.begin_file("test.837");
    if (piece == 0) {
        checker.feed(bytes);
    } else {
        for (std::size_t i = 0; i < bytes.size(); i += piece) checker.feed(std::string_view(bytes).substr(i, piece));
    }
    checker.end_file();
    std::vector<std::string> keys;
    for (const Finding& f : checker.findings()) keys.push_back(key(f));
    std::sort(keys.begin(), keys.end());
    return keys;
}

struct Case {
    const char* name;
    const Segments* base;
    std::function<void(Segments&)> change;
    std::vector<std::string> expected;
};

void replace(Segments& s, std::size_t number, std::string segment) { s[number - 1] = std::move(segment); }

// Whole files, whole and a byte at a time: valid ones whatever follows the
// terminators, two interchanges each with its own delimiters, annotation
// lines and a file that ends inside a segment.
TEST(Checker, ChecksWholeFilesHoweverTheBytesArrive) {
    Segments second;
    for (std::string s : kMinimal) {
        std::replace(s.begin(), s.end(), '*', '|');
        std::replace(s.begin(), s.end(), ':', '^');
        second.push_back(s);
    }
    // A new interchange control number; the group and transaction set
    // control numbers start again. ISA16 is the component separator: "^" is
    // then no character of the values.
    replace(second, 1, second[0].replace(90, 9, "000000002"));
    replace(second, 28, "IEA|1|000000002");
    std::string annotated;
    for (const std::string& s : kMinimal) annotated += "\r\n\tL_0_LABEL\r\n\r\n" + s + "~\r\n";
    std::string cut_short = render(kMinimal);
    cut_short.resize(cut_short.size() - 2);  // "IEA*1*000000001" without its terminator
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> expected;
    } cases[] = {
        {"minimal", render(kMinimal), {}},
        {"with a patient level", render(kPatient), {}},
        {"terminators alone", render(kMinimal, "~"), {}},
        {"terminators and CR LF", render(kMinimal, "~\r\n"), {}},
        {"two interchanges, two sets of delimiters", render(kMinimal) + render(second, "!\n"), {}},
        {"annotation lines", annotated, {"1 error annotation"}},
        {"ends inside a segment", cut_short, {"27 ISA IEA error required-segment", "28 error terminator"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(check(c.bytes), c.expected);
        EXPECT_EQ(check(c.bytes, 1), c.expected);
    }
}

TEST(Checker, FindsWhatAHostGetsWrong) {
    const std::vector<Case> cases = {
        // Structure
        {"REF*87 left out", &kMinimal, [](Segments& s) { s.erase(s.begin() + 4); replace(s, 25, "SE*23*0001"); },
         {"5 ST REF error required-segment"}},
        {"N4 before N3", &kMinimal, [](Segments& s) { std::swap(s[10], s[11]); },
         {"11 2010AA N3 error required-segment", "12 2010AA N3 error placement"}},
        {"SBR twice", &kMinimal,
         [](Segments& s) { s.insert(s.begin() + 15, s[14]); replace(s, 27, "SE*25*0001"); },
         {"16 2000B SBR error repeat"}},
        {"a segment the guide does not know", &kMinimal,
         [](Segments& s) { s.insert(s.begin() + 10, "ZZZ*1"); replace(s, 27, "SE*25*0001"); },
         {"11 2010AA ZZZ error unknown-segment"}},
        {"no service line in the claim", &kMinimal,
         [](Segments& s) { s.erase(s.begin() + 22, s.begin() + 25); replace(s, 23, "SE*21*0001"); },
         {"23 2300 LX error required-loop"}},
        {"the file ends after SE", &kMinimal, [](Segments& s) { s.resize(26); },
         {"26 GS GE error required-segment", "26 ISA IEA error required-segment"}},
        // Elements
        {"a trailing separator", &kMinimal, [](Segments& s) { replace(s, 11, "N3*100 MAIN STREET*"); },
         {"11 2010AA N3 error elements"}},
        {"a not used element set", &kMinimal,
         [](Segments& s) { replace(s, 10, "NM1*85*2*RIVERSIDE FAMILY MEDICINE***DR**XX*1345678902"); },
         {"10 2010AA NM1[NM106] error not-used"}},
        {"a required element missing", &kMinimal, [](Segments& s) { replace(s, 12, "N4*SPRINGFIELD**627011234"); },
         {"12 2010AA N4[N402] error required-element"}},
        {"195.OO as an amount", &kMinimal, [](Segments& s) { replace(s, 21, "CLM*JD240108A*195.OO***11::1*Y*A*Y*Y*C"); },
         {"21 2300 CLM[CLM02] error type"}},
        {"an amount ending in a point", &kMinimal, [](Segments& s) { replace(s, 24, "SV1*HC:99213*110.*UN*1***1"); },
         {"24 2400 SV1[SV102] error type"}},
        {"20151399 as a date", &kMinimal, [](Segments& s) { replace(s, 25, "DTP*472*D8*20151399"); },
         {"25 2400 DTP[DTP03] error date"}},
        {"a range that is no range", &kMinimal, [](Segments& s) { replace(s, 25, "DTP*472*RD8*20240108"); },
         {"25 2400 DTP[DTP03] error date"}},
        {"a time of 25 hours", &kMinimal, [](Segments& s) { replace(s, 4, "BHT*0019*00*BATCH1*20240201*2530*CH"); },
         {"4 ST BHT[BHT05] error time"}},
        {"a code outside the list", &kMinimal,
         [](Segments& s) { replace(s, 15, "SBR*P*18*GRP45678******XX"); },
         {"15 2000B SBR[SBR09] error code"}},
        {"a subscriber last name of 36", &kMinimal,
         [](Segments& s) { replace(s, 16, "NM1*IL*1*" + std::string(36, 'D') + "*JOHN*A***MI*XYZ123456789"); },
         {"16 2010BA NM1[NM103] error length"}},
        {"an ambulance condition code of 3 (CRC03 exactly 2)", &kMinimal,
         [](Segments& s) { s.insert(s.begin() + 21, "CRC*07*Y*010"); replace(s, 27, "SE*25*0001"); },
         {"22 2300 CRC[CRC03] error code", "22 2300 CRC[CRC03] error length"}},
        {"a qualifier without its value (P0809)", &kMinimal,
         [](Segments& s) { replace(s, 16, "NM1*IL*1*DOE*JOHN*A***MI"); },
         {"16 2010BA NM1 error syntax"}},
        {"a composite with a required component missing", &kMinimal,
         [](Segments& s) { replace(s, 22, "HI*BK"); },
         {"22 2300 HI[HI01-2] error required-element"}},
        {"the component separator in a plain value", &kMinimal,
         [](Segments& s) { replace(s, 17, "N3*45 OAK:AVENUE"); },
         {"17 2010BA N3[N301] error delimiter"}},
        {"the terminator inside a value", &kMinimal,
         [](Segments& s) { replace(s, 17, "N3*45 OAK~AVENUE"); },
         {"18 2010BA error unknown-segment", "27 ST SE[SE01] error envelope"}},
        {"a character outside the X12 set", &kMinimal, [](Segments& s) { replace(s, 17, "N3*45 OAK^AVENUE"); },
         {"17 2010BA N3[N301] error characters"}},
        {"trailing spaces", &kMinimal, [](Segments& s) { replace(s, 17, "N3*45 OAK AVENUE  "); },
         {"17 2010BA N3[N301] error characters"}},
        // Envelope
        {"SegCount not reset: SE01 counts from ISA", &kMinimal, [](Segments& s) { replace(s, 26, "SE*26*0001"); },
         {"26 ST SE[SE01] error envelope"}},
        {"SE02 differs from ST02", &kMinimal, [](Segments& s) { replace(s, 26, "SE*24*0002"); },
         {"26 ST SE[SE02] error envelope"}},
        {"GE01 and GE02 wrong", &kMinimal, [](Segments& s) { replace(s, 27, "GE*2*7"); },
         {"27 GS GE[GE01] error envelope", "27 GS GE[GE02] error envelope"}},
        {"IEA01 and IEA02 wrong", &kMinimal, [](Segments& s) { replace(s, 28, "IEA*2*000000002"); },
         {"28 ISA IEA[IEA01] error envelope", "28 ISA IEA[IEA02] error envelope"}},
        {"ISA06 cut to 14 characters", &kMinimal,
         [](Segments& s) { replace(s, 1, "ISA*00*          *00*          *ZZ*VIREOSUBMIT   *ZZ*CLEARHOUSE01   *"
                                           "240201*0930*U*00401*000000001*0*T*:"); },
         {"1 ISA ISA error envelope", "1 ISA ISA[ISA06] error length"}},
        {"a transaction control number used twice", &kMinimal,
         [](Segments& s) {
             Segments again(s.begin() + 2, s.begin() + 26);
             s.insert(s.begin() + 26, again.begin(), again.end());
             replace(s, 51, "GE*2*1");
         },
         {"27 ST ST[ST02] error envelope"}},
        // Hierarchy and lines
        {"HL01 used twice", &kMinimal, [](Segments& s) { replace(s, 14, "HL*1*1*22*0"); },
         {"14 2000B HL[HL01] error hierarchy"}},
        {"HL02 names a level that is not the parent", &kPatient, [](Segments& s) { replace(s, 18, "HL*3*1*23*0"); },
         {"18 2000C HL[HL02] error hierarchy"}},
        {"HL04 is 0 on a subscriber with a patient", &kPatient, [](Segments& s) { replace(s, 14, "HL*2*1*22*0"); },
         {"14 2000B HL[HL04] error hierarchy"}},
        {"HL04 is 1 on a subscriber without a patient", &kMinimal, [](Segments& s) { replace(s, 14, "HL*2*1*22*1"); },
         {"14 2000B HL[HL04] error hierarchy"}},
        {"LX numbered 1, 1", &kPatient, [](Segments& s) { replace(s, 29, "LX*1"); },
         {"29 2400 LX[LX01] error line-number"}},
        // The guide's written rules, as warnings
        {"claim total is not the sum of its lines", &kPatient,
         [](Segments& s) { replace(s, 24, "CLM*EM240112C*80***11::1*Y*A*Y*Y*C"); },
         {"24 2300 CLM[CLM02] warning claim-total"}},
        {"a diagnosis pointer past the last diagnosis", &kPatient,
         [](Segments& s) { replace(s, 30, "SV1*HC:90460*30*UN*1***3"); },
         {"30 2400 SV1[SV107-1] warning diagnosis-pointer"}},
        {"an NPI with a bad check digit", &kMinimal,
         [](Segments& s) { replace(s, 10, "NM1*85*2*RIVERSIDE FAMILY MEDICINE*****XX*1345678901"); },
         {"10 2010AA NM1[NM109] warning npi"}},
        {"a 4-digit ZIP code", &kMinimal, [](Segments& s) { replace(s, 18, "N4*SPRINGFIELD*IL*6270"); },
         {"18 2010BA N4[N403] warning zip"}},
        {"a ZIP+4 code with its dash", &kMinimal, [](Segments& s) { replace(s, 18, "N4*SPRINGFIELD*IL*62704-1234"); },
         {"18 2010BA N4[N403] warning zip"}},
        {"a postal code outside the US, with its country", &kMinimal,
         [](Segments& s) { replace(s, 18, "N4*TORONTO*ON*M5V2T6*CA"); }, {}},
        {"SBR02 = 18 beside a patient level", &kPatient,
         [](Segments& s) { replace(s, 15, "SBR*P*18*GRP20931******CI"); },
         {"18 2000C HL warning patient"}},
        {"no patient level and SBR02 empty", &kMinimal,
         [](Segments& s) { replace(s, 15, "SBR*P**GRP45678******CI"); },
         {"14 2000B HL warning patient"}},
        {"a date range that ends before it begins", &kMinimal,
         [](Segments& s) { replace(s, 25, "DTP*472*RD8*20240108-20240107"); },
         {"25 2400 DTP[DTP03] warning date"}},
        // Counts, sequence numbers and control numbers are numbers without a
        // sign: a sign, a space or a "-0" is not one, whatever the element.
        {"SE01 of -24", &kMinimal, [](Segments& s) { replace(s, 26, "SE*-24*0001"); }, {"26 ST SE[SE01] error type"}},
        {"SE01 of +24", &kMinimal, [](Segments& s) { replace(s, 26, "SE*+24*0001"); }, {"26 ST SE[SE01] error type"}},
        {"SE01 of '24 '", &kMinimal, [](Segments& s) { replace(s, 26, "SE*24 *0001"); }, {"26 ST SE[SE01] error type"}},
        {"LX01 of -1", &kMinimal, [](Segments& s) { replace(s, 23, "LX*-1"); }, {"23 2400 LX[LX01] error type"}},
        {"a diagnosis pointer of -1", &kMinimal, [](Segments& s) { replace(s, 24, "SV1*HC:99213*110*UN*1***-1"); },
         {"24 2400 SV1[SV107-1] error type"}},
        {"HL01 of -1", &kMinimal, [](Segments& s) { replace(s, 9, "HL*-1**20*1"); },
         {"14 2000B HL[HL02] error hierarchy", "9 2000A HL[HL01] error hierarchy"}},
        {"group and interchange control numbers of -1, with their trailers", &kMinimal,
         [](Segments& s) {
             replace(s, 2, "GS*HC*VIREOSUBMIT*CLEARHOUSE01*20240201*0930*-1*X*004010X098A1");
             replace(s, 27, "GE*1*-1");
             replace(s, 1, s[0].replace(90, 9, "-00000001"));
             replace(s, 28, "IEA*1*-00000001");
         },
         {"1 ISA ISA[ISA13] error type", "2 GS GS[GS06] error type", "27 GS GE[GE02] error type",
          "28 ISA IEA[IEA02] error type"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Segments s = *c.base;
        c.change(s);
        std::vector<std::string> expected = c.expected;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(check(render(s)), expected);
        // The same findings whatever pieces the bytes arrive in.
        EXPECT_EQ(check(render(s), 3), expected);
    }
}

// ST02 is unique in its group, GS06 in its interchange; ISA13 is unique for a
// sender and receiver, as a receiver takes an interchange with a number it has
// seen from the same sender for a duplicate.
TEST(Checker, ControlNumbersAreUniqueWhereTheEnvelopeSaysSo) {
    auto group = [](const std::string& gs06, const std::string& st02) {
        Segments g(kMinimal.begin() + 1, kMinimal.begin() + 27);
        g.front() = "GS*HC*VIREOSUBMIT*CLEARHOUSE01*20240201*0930*" + gs06 + "*X*004010X098A1";
        g[1] = "ST*837*" + st02;
        g[24] = "SE*24*" + st02;
        g.back() = "GE*1*" + gs06;
        return g;
    };
    auto interchange = [](const std::string& isa13, const std::vector<Segments>& groups,
                          const std::string& receiver = "CLEARHOUSE01   ") {
        Segments s = {kMinimal[0]};
        s[0].replace(90, 9, isa13).replace(54, 15, receiver);
        for (const Segments& g : groups) s.insert(s.end(), g.begin(), g.end());
        s.push_back("IEA*" + std::to_string(groups.size()) + "*" + isa13);
        return render(s);
    };
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> expected;
    } cases[] = {
        {"a second group reuses ST02", interchange("000000001", {group("1", "0001"), group("2", "0001")}), {}},
        {"a second group reuses GS06", interchange("000000001", {group("1", "0001"), group("1", "0002")}),
         {"28 GS GS[GS06] error envelope"}},
        {"a second interchange reuses ISA13",
         interchange("000000001", {group("1", "0001")}) + interchange("000000001", {group("2", "0002")}),
         {"29 ISA ISA[ISA13] error envelope"}},
        {"a second interchange to another receiver reuses ISA13",
         interchange("000000001", {group("1", "0001")}) +
             interchange("000000001", {group("1", "0001")}, "CLEARHOUSE02   "),
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(check(c.bytes), c.expected);
    }
}

TEST(Checker, TellsWhatIsNoX12) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"text", "hello world\n"},
        {"an ISA cut short", "ISA*00*   "},
        {"letters as delimiters", "ISA*00*          *00*          *ZZ*VIREOSUBMIT    *ZZ*CLEARHOUSE01   *240201*0930*"
                                  "U*00401*000000001*0*TXAB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuideChecker checker;
        checker.begin_file("x");
        checker.feed(c.bytes);
        checker.end_file();
        EXPECT_TRUE(checker.not_x12());
        ASSERT_EQ(checker.findings().size(), 1u);
        EXPECT_EQ(checker.findings()[0].rule, "not-x12");
        EXPECT_EQ(checker.findings()[0].segment, 0u);
    }
    GuideChecker valid;
    valid.begin_file("x");
    valid.feed(render(kMinimal));
    valid.end_file();
    EXPECT_FALSE(valid.not_x12());
    EXPECT_EQ(valid.segments(), kMinimal.size());
}

// An input that never ends (a device, a pipe) gets its verdict from its first
// bytes: the checker stops, and a reader stops reading.
TEST(Checker, StopsOnAnEndlessInput) {
    const std::string isa = kMinimal[0] + "~\n";
    const struct {
        const char* name;
        std::string start;
        std::string repeated;
        std::string expected;
    } cases[] = {
        {"zero bytes", "", std::string(1, '\0'), "0 error not-x12"},
        {"text", "", "y\n", "0 error not-x12"},
        {"line ends", "", "\r\n", "0 error not-x12"},
        {"a segment without end", isa + "GS*", std::string(1, '\0'), "2 error terminator"},
        {"line ends after a segment", isa, "\n", "2 error terminator"},
        {"terminators in a line that begins with a TAB", isa + "\t", "~", "2 error terminator"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuideChecker checker;
        checker.begin_file("endless");
        checker.feed(c.start);
        std::string piece;
        while (piece.size() < 65536) piece += c.repeated;
        std::size_t fed = 0;
        while (!checker.stopped() && fed < (std::size_t{64} << 20)) {
            checker.feed(piece);
            fed += piece.size();
        }
        EXPECT_TRUE(checker.stopped());
        EXPECT_LE(fed, std::size_t{3} << 20);
        checker.end_file();
        std::vector<std::string> found;
        for (const Finding& f : checker.findings()) found.push_back(key(f));
        EXPECT_EQ(found, std::vector<std::string>{c.expected});
    }
}

TEST(Checker, CountsAndKeepsFindings) {
    prjVireo::CheckOptions options;
    std::vector<std::string> seen;
    options.on_finding = [&](const Finding& f) { seen.push_back(key(f)); };
    options.keep = 1;
    GuideChecker checker(options);
    Segments s = kMinimal;
    replace(s, 24, "SV1*HC:99213*110*UN*1***2");  // a warning: the claim has one diagnosis
    replace(s, 25, "DTP*472*D8*20151399");      // an error
    replace(s, 26, "SE*25*0001");               // an error
    checker.begin_file("x");
    checker.feed(render(s));
    checker.end_file();
    EXPECT_EQ(checker.errors(), 2u);
    EXPECT_EQ(checker.warnings(), 1u);
    EXPECT_EQ(seen.size(), 3u);
    ASSERT_EQ(checker.findings().size(), 1u);  // only `keep` are kept
    EXPECT_EQ(checker.findings()[0].file, "x");
    checker.clear();
    EXPECT_EQ(checker.errors(), 0u);
    EXPECT_TRUE(checker.findings().empty());
}

}  // namespace
