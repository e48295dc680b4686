// Each interchange is checked against the guide of its version: ISA12 picks
// the guide its ISA is checked with, GS08 the one of its group. A 5010 claim
// (valid for the external validator too) holds nothing wrong as 5010 and is
// full of errors as 4010; the written rules the guides share find the same
// faults in it, and those of 5010 alone what only 5010 asks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "vireo/checker/guide_checker.h"
#include "vireo/guide/guide.h"

namespace {

constexpr const char* kClaim5010 =
    "ISA*00*          *00*          *ZZ*SUBMITTER      *ZZ*RECEIVER       *201007*1200*^*00501*000000001*0*T*:~\n"
    "GS*HC*SUBMITTER*RECEIVER*20201007*1200*1*X*005010X222A1~\n"
    "ST*837*0001*005010X222A1~\n"
    "BHT*0019*00*0123*20201007*1200*CH~\n"
    "NM1*41*2*ACME BILLING*****46*12345~\n"
    "PER*IC*JANE DOE*TE*5555551234~\n"
    "NM1*40*2*PAYER INC*****46*67890~\n"
    "HL*1**20*1~\n"
    "NM1*85*2*ACME CLINIC*****XX*1234567893~\n"
    "N3*100 MAIN ST~\n"
    "N4*SPRINGFIELD*IL*627041234~\n"
    "REF*EI*123456789~\n"
    "HL*2*1*22*0~\n"
    "SBR*P*18*******CI~\n"
    "NM1*IL*1*DOE*JOHN****MI*W123456789~\n"
    "N3*1 ELM ST~\n"
    "N4*SPRINGFIELD*IL*62704~\n"
    "DMG*D8*19700101*M~\n"
    "NM1*PR*2*PAYER INC*****PI*67890~\n"
    "CLM*PT0001*100***11:B:1*Y*A*Y*Y~\n"
    "HI*ABK:J449~\n"
    "LX*1~\n"
    "SV1*HC:99213*100*UN*1***1~\n"
    "DTP*472*D8*20201001~\n"
    "SE*23*0001~\n"
    "GE*1*1~\n"
    "IEA*1*000000001~\n";

std::string changed(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

struct Case {
    const char* name;
    std::string file;
    const char* forced;              // a guide id, or nullptr: chosen by ISA12 and GS08
    std::vector<std::string> rules;  // the findings' rules and elements, in order
};

TEST(Versions, EachInterchangeIsCheckedAgainstItsVersionsGuide) {
    const std::string file = kClaim5010;
    const Case cases[] = {
        {"a 5010 claim", file, nullptr, {}},
        {"a 5010 claim, its guide forced", file, "005010X222A1", {}},
        {"the shared written rules",
         changed(changed(changed(file, "*1234567893~", "*1234567890~"), "HI*ABK:J449~", "HI*ABK:J449*ABF:E119~"),
                 "***1~\nDTP", "***1:3~\nDTP"),
         nullptr,
         {"npi NM109", "diagnosis-pointer SV107-2"}},
        {"ISA12 of 4010 with a 5010 group", changed(file, "*00501*", "*00401*"), nullptr,
         {"characters ISA11"}},
        {"an ICD-10 code with its decimal point, and one of two characters",
         changed(file, "HI*ABK:J449~", "HI*ABK:J44.9*ABF:E1~"), nullptr, {"icd10 HI01-2", "icd10 HI02-2"}},
        {"ISA11 declares the repetition separator: a value holding it is split there",
         changed(changed(file, "*^*00501*", "*!*00501*"), "N3*1 ELM ST~", "N3*1 ELM!ST~"), nullptr,
         {"delimiter N301"}},
        {"ISA11 that is no repetition separator", changed(file, "*^*00501*", "*:*00501*"), "005010X222A1",
         {"envelope ISA11"}},
        {"the billing provider at a post office box, with a 5-digit ZIP",
         changed(changed(file, "N3*100 MAIN ST~", "N3*P.O. Box 12~"), "IL*627041234~", "IL*62704~"), nullptr,
         {"street-address N301", "zip-plus-four N403"}},
        {"ICD-9 codes for a service after 2015-10-01", changed(file, "HI*ABK:J449~", "HI*BK:4939~"), nullptr,
         {"icd9 DTP03"}},
        {"ICD-9 codes for a service before 2015-10-01",
         changed(changed(file, "HI*ABK:J449~", "HI*BK:4939~"), "D8*20201001", "D8*20140901"), nullptr, {}},
        {"a replacement claim without the payer's claim number", changed(file, ":B:1*", ":B:7*"), nullptr,
         {"payer-claim-number CLM05-3"}},
        {"a void with the payer's claim number",
         changed(changed(changed(file, ":B:1*", ":B:8*"), "HI*ABK", "REF*F8*ICN1~\nHI*ABK"), "SE*23", "SE*24"),
         nullptr, {}},
        {"condition codes beside the diagnoses",
         changed(changed(file, "HI*ABK:J449~", "HI*ABK:J449~\nHI*BG:01~"), "SE*23", "SE*24"), nullptr, {}},
        {"a grave accent, in 5010's extended character set", changed(file, "N3*100 MAIN ST~", "N3*100 MAIN `ST~"),
         nullptr, {}},
        {"ST03 other than GS08", changed(file, "ST*837*0001*005010X222A1~", "ST*837*0001*005010X223A2~"), nullptr,
         {"envelope ST03"}},
        {"a qualifier no position takes, reported once", changed(file, "DTP*472", "DTP*999"), nullptr,
         {"code DTP01"}},
        {"condition codes instead of the diagnoses", changed(file, "HI*ABK:J449~", "HI*BG:01~"), nullptr,
         {"required-segment ", "diagnosis-pointer SV107-1"}},
    };
    for (const Case& c : cases) {
        prjVireo::CheckOptions options;
        options.guide = c.forced ? prjVireo::guide::find_guide(c.forced) : nullptr;
        prjVireo::GuideChecker checker(options);
        checker.begin_file("claim.837");
        checker.feed(c.file);
        checker.end_file();
        std::vector<std::string> rules;
        for (const prjVireo::Finding& f : checker.findings()) rules.push_back(f.rule + " " + f.element);
        EXPECT_EQ(rules, c.rules) << c.name;
        EXPECT_EQ(checker.segments(), static_cast<std::uint64_t>(std::count(c.file.begin(), c.file.end(), '~')))
            << c.name;
    }

    // Forced to 4010, the 5010 claim is refused from its ISA on.
    prjVireo::CheckOptions options;
    options.guide = &prjVireo::guide::professional_4010();
    prjVireo::GuideChecker checker(options);
    checker.begin_file("claim.837");
    checker.feed(file);
    checker.end_file();
    ASSERT_FALSE(checker.findings().empty());
    EXPECT_EQ(checker.findings().front().element, "ISA11");
    EXPECT_GT(checker.errors(), 3u);
}

}  // namespace
