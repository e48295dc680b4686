// Element lengths in a 4010 file are the 4010 dictionary's, which are
// narrower than later versions' for names, reference numbers, communication
// numbers and condition codes: a value one character past the 4010 limit is
// an error, a value at the limit is not.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vireo/checker/guide_checker.h"

namespace {

// A subscriber who is the patient, one claim, one line.
const std::vector<std::string> kMinimal = {
    "ISA*00*          *00*          *ZZ*VIREOSUBMIT    *ZZ*CLEARHOUSE01   *240201*0930*U*00401*000000001*0*T*:",
    "GS*HC*VIREOSUBMIT*CLEARHOUSE01*20240201*0930*1*X*004010X098A1",
    "ST*837*0001",
    "BHT*0019*00*BATCH1*20240201*0930*CH",
    "REF*87*004010X098A1",
    "NM1*41*2*VIREO BILLING SERVICES*****46*VBS12345",
    "PER*IC*EDI DESK*TE*2175550100",
    "NM1*40*2*CLEARINGHOUSE ONE*****46*CH01",
    "HL*1**20*1",
    "NM1*85*2*RIVERSIDE FAMILY MEDICINE*****XX*1345678902",
    "N3*100 MAIN STREET",
    "N4*SPRINGFIELD*IL*627011234",
    "REF*EI*371234567",
    "HL*2*1*22*0",
    "SBR*P*18*GRP45678******CI",
    "NM1*IL*1*DOE*JOHN*A***MI*XYZ123456789",
    "N3*45 OAK AVENUE",
    "N4*SPRINGFIELD*IL*62704",
    "DMG*D8*19650312*M",
    "NM1*PR*2*PRAIRIE HEALTH PLAN*****PI*PHP01",
    "CLM*JD240108A*110***11::1*Y*A*Y*Y*C",
    "HI*BK:4019",
    "LX*1",
    "SV1*HC:99213*110*UN*1***1",
    "DTP*472*D8*20240108",
    "SE*24*0001",
    "GE*1*1",
    "IEA*1*000000001",
};

std::vector<std::string> check(const std::vector<std::string>& segments) {
    std::string bytes;
    for (const std::string& s : segments) bytes += s + "~\n";
    prjVireo::GuideChecker checker;
    checker.begin_file("test.837");
    checker.feed(bytes);
    checker.end_file();
    std::vector<std::string> keys;
    for (const prjVireo::Finding& f : checker.findings()) {
        keys.push_back(std::to_string(f.segment) + " " + f.loop + " " + f.segment_id + "[" + f.element + "] " +
                       f.rule);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

void replace(std::vector<std::string>& s, std::size_t number, std::string segment) {
    s[number - 1] = std::move(segment);
}

TEST(Lengths4010, ValuesPastThe4010LimitAreErrors) {
    using Change = std::function<void(std::vector<std::string>&)>;
    const std::string d35(35, 'D');
    const struct {
        const char* name;
        Change change;
        std::vector<std::string> expected;
    } cases[] = {
        {"billing provider name of 35 (NM103 1-35)",
         [&](auto& s) { replace(s, 10, "NM1*85*2*" + d35 + "*****XX*1345678902"); }, {}},
        {"billing provider name of 40",
         [&](auto& s) { replace(s, 10, "NM1*85*2*" + d35 + "DDDDD*****XX*1345678902"); },
         {"10 2010AA NM1[NM103] length"}},
        {"subscriber last name of 36",
         [&](auto& s) { replace(s, 16, "NM1*IL*1*" + d35 + "D*JOHN*A***MI*XYZ123456789"); },
         {"16 2010BA NM1[NM103] length"}},
        {"subscriber first name of 26 (NM104 1-25)",
         [](auto& s) { replace(s, 16, "NM1*IL*1*DOE*" + std::string(26, 'J') + "*A***MI*XYZ123456789"); },
         {"16 2010BA NM1[NM104] length"}},
        {"tax ID of 31 (REF02 1-30)", [](auto& s) { replace(s, 13, "REF*EI*" + std::string(31, '1')); },
         {"13 2010AA REF[REF02] length"}},
        {"telephone of 81 (PER04 1-80)",
         [](auto& s) { replace(s, 7, "PER*IC*EDI DESK*TE*" + std::string(81, '2')); },
         {"7 1000A PER[PER04] length"}},
        {"ambulance condition code of 3 (CRC03 exactly 2)",
         [](auto& s) { s.insert(s.begin() + 21, "CRC*07*Y*010"); replace(s, 27, "SE*25*0001"); },
         {"22 2300 CRC[CRC03] code", "22 2300 CRC[CRC03] length"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> s = kMinimal;
        c.change(s);
        EXPECT_EQ(check(s), c.expected);
    }
}

}  // namespace
