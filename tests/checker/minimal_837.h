#pragma once
// The smallest valid 837 of the checker tests, one segment a string without
// its terminator: a subscriber who is the patient, one claim, one line.
#include <string>
#include <vector>

namespace vireo_checker_test {

using Segments = std::vector<std::string>;

inline const Segments kMinimal = {
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

}  // namespace vireo_checker_test
