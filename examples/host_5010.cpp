// A host program that writes the claims of examples/professional-claims-5010.json
// through the typed C++ API of the 5010 control: the same steps, in the same
// order, as the script, and therefore the same bytes.
//
//   vireo_example_host_5010 [OUTPUT]     (default out/professional-claims-5010.837)
//
// Each segment is one call of `add`: Clear, the fields, Additem. Code fields
// take their code text through from_code; an unknown code is an error that
// names the code list.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "vireo/catalogues/professional_5010/control.h"

using namespace prjVireo;
using prjVireo::professional_5010::vireo;

namespace {

// One segment: cleared, filled by `fill`, added.
template <class Segment, class Fill>
void add(const std::shared_ptr<Segment>& segment, Fill fill) {
    segment->Clear();
    fill(*segment);
    segment->Additem();
}

void write_claims(vireo& ctl) {
    // Interchange and functional group envelope. ISA11 and ISA16 are left empty: they take
    // RepetitionSeparator ("^") and SubelementSeparator (":"), the delimiters they declare.
    ctl.NewLine(NewLineValues::LF_ToSegEnd);
    add(ctl.L0_ISA_00_IntControlHeader(), [](auto& s) {
        s.m01_AuthInfoQul = from_code("00"); s.m03_SecurityInfoQul = from_code("00"); s.m05_IntIDQul = from_code("ZZ");
        s.m06_IntSenderID = "VIREOSUBMIT"; s.m07_IntIDQul = from_code("ZZ"); s.m08_IntRecvID = "CLEARINGHOUSE";
        s.m09_IntDate = "201007"; s.m10_IntTime = "1200"; s.m12_IntControlVersionNum = "00501";
        s.m13_IntControlNumMustMatchIEA02 = "000000101"; s.m14_AcknowledgmentRequested = from_code("0");
        s.m15_ProductionTestUsageIndicator = from_code("T");
    });
    add(ctl.L0_GS_00_FunctGroupHeader(), [](auto& s) {
        s.m01_FunctIdentCode = from_code("HC"); s.m02_AppSendersCode = "VIREOSUBMIT";
        s.m03_AppRecvsCode = "CLEARINGHOUSE"; s.m04_CreationDate = "20201007"; s.m05_CreationTime = "1200";
        s.m06_GroupControlNum = "101"; s.m07_RespAgencyCode = from_code("X");
        s.m08_VersionReleaseIndIdentCode = "005010X222A1";
    });
    // Transaction set: SegCount 0 before ST, so that SE counts ST to SE itself
    ctl.SegCount("0");
    add(ctl.L1_ST_00_TransSetHeader(), [](auto& s) {
        s.m01_TransSetIdentCode = from_code("837"); s.m02_TransSetControlNum = "0001";
        s.m03_ImplConventionRef = "005010X222A1";
    });
    add(ctl.L1_BHT_00_BegHITrans(), [](auto& s) {
        s.m01_HIStructCode = from_code("0019"); s.m02_TransSetPurposeCode = from_code("00");
        s.m03_OriginatorAppTransIdent = "BATCH0001"; s.m04_TransSetCreationDate = "20201007";
        s.m05_TransSetCreationTime = "1200"; s.m06_CLMorEncounterIdent = from_code("CH");
    });
    // 1000A submitter, 1000B receiver
    add(ctl.L1000A_NM1_00_SubName(), [](auto& s) {
        s.m01_EntityIdentCode = from_code("41"); s.m02_EntityTypeQul = from_code("2");
        s.m03_SubLastorOrgName = "ACME BILLING SERVICE"; s.m08_IDCodeQul = from_code("46");
        s.m09_SubIdent = "SUB12345";
    });
    add(ctl.L1000A_PER_00_SubEDIContactInfo(), [](auto& s) {
        s.m01_ContactFunctionCode = from_code("IC"); s.m02_SubContactName = "JANE BILLER";
        s.m03_CommunicationNumQul = from_code("TE"); s.m04_CommunicationNum = "2175550100";
        s.m05_CommunicationNumQul = from_code("EM"); s.m06_CommunicationNum = "BILLING@EXAMPLE.COM";
    });
    add(ctl.L1000B_NM1_00_RecvName(), [](auto& s) {
        s.m01_EntityIdentCode = from_code("40"); s.m02_EntityTypeQul = from_code("2");
        s.m03_RecvName = "GREAT PLAINS HEALTH PLAN"; s.m08_IDCodeQul = from_code("46");
        s.m09_RecvPrimaryIdent = "GPHP0001";
    });
    // 2000A billing provider (HL 1): NPI, street address, 9-digit ZIP, tax id
    add(ctl.L2000A_HL_00_BillPROVHILevel(), [](auto& s) {
        s.m01_HIIDNum = "1"; s.m03_HILevelCode = from_code("20"); s.m04_HIChildCode = from_code("1");
    });
    add(ctl.L2010AA_NM1_00_BillPROVName(), [](auto& s) {
        s.m01_EntityIdentCode = from_code("85"); s.m02_EntityTypeQul = from_code("2");
        s.m03_BillPROVLastorOrgalName = "SPRINGFIELD FAMILY CLINIC"; s.m08_IDCodeQul = from_code("XX");
        s.m09_BillPROVIdent = "1234567893";
    });
    add(ctl.L2010AA_N3_00_BillPROVAddress(), [](auto& s) { s.m01_BillPROVAddressLine = "100 MAIN STREET"; });
    add(ctl.L2010AA_N4_00_BillPROVCityStateZip(), [](auto& s) {
        s.m01_BillPROVCityName = "SPRINGFIELD"; s.m02_BillPROVStateorProvinceCode = "IL";
        s.m03_BillPROVPostalZoneorZip = "627041234";
    });
    add(ctl.L2010AA_REF_00_BillPROVTaxID(), [](auto& s) {
        s.m01_RefIDQul = from_code("EI"); s.m02_BillPROVAddIdent = "371234567";
    });
    // 2000B subscriber who is the patient (HL 2, SBR02 18)
    add(ctl.L2000B_HL_00_SubscriberHILevel(), [](auto& s) {
        s.m01_HIIDNum = "2"; s.m02_HIParentIDNum = "1"; s.m03_HILevelCode = from_code("22");
        s.m04_HIChildCode = from_code("0");
    });
    add(ctl.L2000B_SBR_00_SubscriberInfo(), [](auto& s) {
        s.m01_PayerRespSequenceNumCode = from_code("P"); s.m02_IndividualRelationshipCode = from_code("18");
        s.m03_InsuredGrouporPolicyNum = "GRP1001"; s.m09_CLMFilingIndicatorCode = from_code("CI");
    });
    add(ctl.L2010BA_NM1_00_SubscriberName(), [](auto& s) {
        s.m01_EntityIdentCode = from_code("IL"); s.m02_EntityTypeQul = from_code("1");
        s.m03_SubscriberLastName = "DOE"; s.m04_SubscriberFirstName = "JOHN"; s.m05_SubscriberMiddleName = "Q";
        s.m08_IDCodeQul = from_code("MI"); s.m09_SubscriberPrimaryIdent = "W123456789";
    });
    add(ctl.L2010BA_N3_00_SubscriberAddress(), [](auto& s) { s.m01_SubscriberAddressLine = "12 ELM STREET"; });
    add(ctl.L2010BA_N4_00_SubscriberCityStateZip(), [](auto& s) {
        s.m01_SubscriberCityName = "SPRINGFIELD"; s.m02_SubscriberStateCode = "IL";
        s.m03_SubscriberPostalZoneorZip = "627015678";
    });
    add(ctl.L2010BA_DMG_00_SubscriberDmoInfo(), [](auto& s) {
        s.m01_DateTimePeriodFormatQul = from_code("D8"); s.m02_SubscriberBirthDate = "19700415";
        s.m03_SubscriberGenderCode = from_code("M");
    });
    add(ctl.L2010BB_NM1_00_PayerName(), [](auto& s) {
        s.m01_EntityIdentCode = from_code("PR"); s.m02_EntityTypeQul = from_code("2");
        s.m03_PayerName = "GREAT PLAINS HEALTH PLAN"; s.m08_IDCodeQul = from_code("PI"); s.m09_PayerIdent = "GPHP0001";
    });
    // 2300 claim PT0001: ICD-10 diagnoses (ABK principal, ABF other), 2 lines, 155
    add(ctl.L2300_CLM_00_CLMInfo(), [](auto& s) {
        s.m01_PatAccountNum = "PT0001"; s.m02_TotalCLMChargeAmount = "155"; s.m0501_FacTypeCode = "11";
        s.m0502_FacCodeQul = from_code("B"); s.m0503_CLMFrequencyCode = "1";
        s.m06_PROVorSupplierSigIndicator = from_code("Y"); s.m07_McareAssignmentCode = from_code("A");
        s.m08_BenefitsAssignmentCertIndicator = from_code("Y"); s.m09_ReleaseofInfoCode = from_code("Y");
    });
    add(ctl.L2300_HI_00_HealthCareDiagnosisCode(), [](auto& s) {
        s.m0101_DiagnosisTypeCode = from_code("ABK"); s.m0102_DiagnosisCode = "J449";
        s.m0201_DiagnosisTypeCode = from_code("ABF"); s.m0202_DiagnosisCode = "E119";
    });
    add(ctl.L2400_LX_00_SvcLine(), [](auto& s) { s.m01_AssignedNum = "1"; });
    add(ctl.L2400_SV1_00_ProfessionalSvc(), [](auto& s) {
        s.m0101_ProductorSvcIDQul = from_code("HC"); s.m0102_ProcedureCode = "99213"; s.m02_LineChargeAmount = "100";
        s.m03_UnitorBasisforMeasurementCode = from_code("UN"); s.m04_SvcUnitCount = "1";
        s.m0701_DiagnosisCodePointer = "1"; s.m0702_DiagnosisCodePointer = "2";
    });
    add(ctl.L2400_DTP_00_DateSvcDate(), [](auto& s) {
        s.m01_DateTimeQul = from_code("472"); s.m02_DateTimePeriodFormatQul = from_code("D8");
        s.m03_SvcDate = "20201001";
    });
    add(ctl.L2400_LX_00_SvcLine(), [](auto& s) { s.m01_AssignedNum = "2"; });
    add(ctl.L2400_SV1_00_ProfessionalSvc(), [](auto& s) {
        s.m0101_ProductorSvcIDQul = from_code("HC"); s.m0102_ProcedureCode = "94010"; s.m02_LineChargeAmount = "55";
        s.m03_UnitorBasisforMeasurementCode = from_code("UN"); s.m04_SvcUnitCount = "1";
        s.m0701_DiagnosisCodePointer = "1";
    });
    add(ctl.L2400_DTP_00_DateSvcDate(), [](auto& s) {
        s.m01_DateTimeQul = from_code("472"); s.m02_DateTimePeriodFormatQul = from_code("D8");
        s.m03_SvcDate = "20201001";
    });
    // 2000B subscriber (HL 3) whose dependent is the patient
    add(ctl.L2000B_HL_00_SubscriberHILevel(), [](auto& s) {
        s.m01_HIIDNum = "3"; s.m02_HIParentIDNum = "1"; s.m03_HILevelCode = from_code("22");
        s.m04_HIChildCode = from_code("1");
    });
    add(ctl.L2000B_SBR_00_SubscriberInfo(), [](auto& s) {
        s.m01_PayerRespSequenceNumCode = from_code("P"); s.m03_InsuredGrouporPolicyNum = "GRP2002";
        s.m09_CLMFilingIndicatorCode = from_code("CI");
    });
    add(ctl.L2010BA_NM1_00_SubscriberName(), [](auto& s) {
        s.m01_EntityIdentCode = from_code("IL"); s.m02_EntityTypeQul = from_code("1");
        s.m03_SubscriberLastName = "SMITH"; s.m04_SubscriberFirstName = "ROBERT"; s.m08_IDCodeQul = from_code("MI");
        s.m09_SubscriberPrimaryIdent = "X987654321";
    });
    add(ctl.L2010BA_N3_00_SubscriberAddress(), [](auto& s) { s.m01_SubscriberAddressLine = "45 OAK AVENUE"; });
    add(ctl.L2010BA_N4_00_SubscriberCityStateZip(), [](auto& s) {
        s.m01_SubscriberCityName = "CHATHAM"; s.m02_SubscriberStateCode = "IL";
        s.m03_SubscriberPostalZoneorZip = "626295555";
    });
    add(ctl.L2010BA_DMG_00_SubscriberDmoInfo(), [](auto& s) {
        s.m01_DateTimePeriodFormatQul = from_code("D8"); s.m02_SubscriberBirthDate = "19750220";
        s.m03_SubscriberGenderCode = from_code("M");
    });
    add(ctl.L2010BB_NM1_00_PayerName(), [](auto& s) {
        s.m01_EntityIdentCode = from_code("PR"); s.m02_EntityTypeQul = from_code("2");
        s.m03_PayerName = "GREAT PLAINS HEALTH PLAN"; s.m08_IDCodeQul = from_code("PI"); s.m09_PayerIdent = "GPHP0001";
    });
    // 2000C patient (HL 4): the subscriber's child
    add(ctl.L2000C_HL_00_PatHILevel(), [](auto& s) {
        s.m01_HIIDNum = "4"; s.m02_HIParentIDNum = "3"; s.m03_HILevelCode = from_code("23");
        s.m04_HIChildCode = from_code("0");
    });
    add(ctl.L2000C_PAT_00_PatInfo(), [](auto& s) { s.m01_IndividualRelationshipCode = from_code("19"); });
    add(ctl.L2010CA_NM1_00_PatName(), [](auto& s) {
        s.m01_EntityIdentCode = from_code("QC"); s.m02_EntityTypeQul = from_code("1"); s.m03_PatLastName = "SMITH";
        s.m04_PatFirstName = "EMMA";
    });
    add(ctl.L2010CA_N3_00_PatAddress(), [](auto& s) { s.m01_PatAddressLine = "45 OAK AVENUE"; });
    add(ctl.L2010CA_N4_00_PatCityStateZip(), [](auto& s) {
        s.m01_PatCityName = "CHATHAM"; s.m02_PatStateCode = "IL"; s.m03_PatPostalZoneorZip = "626295555";
    });
    add(ctl.L2010CA_DMG_00_PatDmoInfo(), [](auto& s) {
        s.m01_DateTimePeriodFormatQul = from_code("D8"); s.m02_PatBirthDate = "20120910";
        s.m03_PatGenderCode = from_code("F");
    });
    // 2300 claim PT0002: 3 lines, 240, each pointing at its diagnoses
    add(ctl.L2300_CLM_00_CLMInfo(), [](auto& s) {
        s.m01_PatAccountNum = "PT0002"; s.m02_TotalCLMChargeAmount = "240"; s.m0501_FacTypeCode = "11";
        s.m0502_FacCodeQul = from_code("B"); s.m0503_CLMFrequencyCode = "1";
        s.m06_PROVorSupplierSigIndicator = from_code("Y"); s.m07_McareAssignmentCode = from_code("A");
        s.m08_BenefitsAssignmentCertIndicator = from_code("Y"); s.m09_ReleaseofInfoCode = from_code("Y");
    });
    add(ctl.L2300_HI_00_HealthCareDiagnosisCode(), [](auto& s) {
        s.m0101_DiagnosisTypeCode = from_code("ABK"); s.m0102_DiagnosisCode = "J069";
        s.m0201_DiagnosisTypeCode = from_code("ABF"); s.m0202_DiagnosisCode = "R509";
        s.m0301_DiagnosisTypeCode = from_code("ABF"); s.m0302_DiagnosisCode = "H6690";
    });
    add(ctl.L2400_LX_00_SvcLine(), [](auto& s) { s.m01_AssignedNum = "1"; });
    add(ctl.L2400_SV1_00_ProfessionalSvc(), [](auto& s) {
        s.m0101_ProductorSvcIDQul = from_code("HC"); s.m0102_ProcedureCode = "99214"; s.m02_LineChargeAmount = "150";
        s.m03_UnitorBasisforMeasurementCode = from_code("UN"); s.m04_SvcUnitCount = "1";
        s.m0701_DiagnosisCodePointer = "1"; s.m0702_DiagnosisCodePointer = "2";
    });
    add(ctl.L2400_DTP_00_DateSvcDate(), [](auto& s) {
        s.m01_DateTimeQul = from_code("472"); s.m02_DateTimePeriodFormatQul = from_code("D8");
        s.m03_SvcDate = "20201002";
    });
    add(ctl.L2400_LX_00_SvcLine(), [](auto& s) { s.m01_AssignedNum = "2"; });
    add(ctl.L2400_SV1_00_ProfessionalSvc(), [](auto& s) {
        s.m0101_ProductorSvcIDQul = from_code("HC"); s.m0102_ProcedureCode = "87880"; s.m02_LineChargeAmount = "40";
        s.m03_UnitorBasisforMeasurementCode = from_code("UN"); s.m04_SvcUnitCount = "1";
        s.m0701_DiagnosisCodePointer = "1";
    });
    add(ctl.L2400_DTP_00_DateSvcDate(), [](auto& s) {
        s.m01_DateTimeQul = from_code("472"); s.m02_DateTimePeriodFormatQul = from_code("D8");
        s.m03_SvcDate = "20201002";
    });
    add(ctl.L2400_LX_00_SvcLine(), [](auto& s) { s.m01_AssignedNum = "3"; });
    add(ctl.L2400_SV1_00_ProfessionalSvc(), [](auto& s) {
        s.m0101_ProductorSvcIDQul = from_code("HC"); s.m0102_ProcedureCode = "92567"; s.m02_LineChargeAmount = "50";
        s.m03_UnitorBasisforMeasurementCode = from_code("UN"); s.m04_SvcUnitCount = "1";
        s.m0701_DiagnosisCodePointer = "3";
    });
    add(ctl.L2400_DTP_00_DateSvcDate(), [](auto& s) {
        s.m01_DateTimeQul = from_code("472"); s.m02_DateTimePeriodFormatQul = from_code("D8");
        s.m03_SvcDate = "20201002";
    });
    // Trailers: SE counts itself (m01 left empty), then GE and IEA
    add(ctl.L2440_SE_00_TransSetTrailer(), [](auto& s) { s.m02_TransSetControlNum = "0001"; });
    add(ctl.L0_GE_00_FunctGroupTrailer(), [](auto& s) {
        s.m01_NumofTransSetsIncluded = "1"; s.m02_GroupControlNum = "101";
    });
    add(ctl.L0_IEA_00_IntControlTrailer(), [](auto& s) {
        s.m01_NumofIncludedFunctGroupsCount = "1"; s.m02_IntControlNum = "000000101";
    });
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : "out/professional-claims-5010.837";
    try {
        vireo ctl;
        TextPropertyBag saved;  // a control placed new: "*", ":", "~" and "^", NewLine 0
        ctl.ReadProperties(saved);
        ctl.ErrorTrap(-1);  // every error reaches this host instead of being passed over
        ctl.OpenFile(path);
        write_claims(ctl);
        ctl.CloseFile();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vireo_example_host_5010: %s\n", e.what());
        return 1;
    }
    std::printf("wrote %s\n", path.c_str());
    return 0;
}
