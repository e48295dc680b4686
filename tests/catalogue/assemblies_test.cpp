// The classes with composite elements: CLM (CLM05, CLM11), HI (eight packed
// diagnosis composites, then HI09 to HI12), SV1 (SV101, SV107) and SVD
// (SVD03); and the two classes whose annotation label breaks the label rule.
#include "catalogue_cases.h"

using namespace prjVireo;
using catalogue_cases::Case;
using catalogue_cases::expect_cases;

namespace {

using Cause1 = L2300_CLM_11_1362_624_RelatedCausesCode;
using Cause2 = L2300_CLM_11_1362_630_RelatedCausesCode;
using Cause3 = L2300_CLM_11_1362_636_RelatedCausesCode;

void fill_claim(L2300_CLM_00& clm) {
    clm.m01_PatAccountNum = "A1";
    clm.m02_TotalCLMChargeAmount = "100";
    clm.m0501_FacTypeCode = "11";
    clm.m0503_CLMFrequencyCode = "1";
    clm.m06_PROVorSupplierSigIndicator = L2300_CLM_06_1073_599_PROVorSupplierSigIndicator::val_Y_Yes_1073_599;
    clm.m07_McareAssignmentCode = L2300_CLM_07_1359_602_McareAssignmentCode::val_A_Assigned_1359_602;
    clm.m08_BenefitsAssignmentCertIndicator =
        L2300_CLM_08_1073_607_BenefitsAssignmentCertIndicator::val_Y_Yes_1073_607;
    clm.m09_ReleaseofInfoCode = L2300_CLM_09_1363_610_ReleaseofInfoCode::val_Y_YesPROVhasaSigned_1363_610;
    clm.m10_PatSigSourceCode = L2300_CLM_10_1351_617_PatSigSourceCode::val_P_SigGenPatNotPhy_1351_617;
}

using Principal = L2300_HI_01_1270_1102_DiagnosisTypeCode;

void fill_service(L2400_SV1_00& sv1) {
    sv1.m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
    sv1.m0102_ProcedureCode = "99213";
    sv1.m02_LineChargeAmount = "50";
    sv1.m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
    sv1.m04_SvcUnitCount = "1";
    sv1.m0701_DiagnosisCodePointer = "1";
}

void fill_adjudication(L2430_SVD_00& svd) {
    svd.m01_OthPayerPrimaryIdent = "P1";
    svd.m02_SvcLinePaidAmount = "40";
    svd.m0301_ProductorSvcIDQul = L2430_SVD_03_235_2912_ProductorSvcIDQul::val_HC_CMSHCPCS_235_2912;
    svd.m0302_ProcedureCode = "99213";
    svd.m05_PaidSvcUnitCount = "1";
}

}  // namespace

TEST(ClaimComposites, TakeOnePositionEachAndKeepInnerEmptyComponents) {
    const Case cases[] = {
        {"CLM05 from three text fields, codes after it",
         [](vireo& c) {
             auto clm = c.L2300_CLM_00_CLMInfo();
             fill_claim(*clm);
             clm->Additem();
         },
         "CLM*A1*100***11::1*Y*A*Y*Y*P~"},
        {"CLM11 with a related cause and a state, three empty components kept",
         [](vireo& c) {
             auto clm = c.L2300_CLM_00_CLMInfo();
             fill_claim(*clm);
             clm->m1101_RelatedCausesCode = Cause1::val_AA_AutoAccident_1362_624;
             clm->m1104_AutoAccidentStateorProvinceCode = "NY";
             clm->Additem();
         },
         "CLM*A1*100***11::1*Y*A*Y*Y*P*AA:::NY~"},
        {"empty CLM05 and CLM11 hold their positions before CLM20",
         [](vireo& c) {
             auto clm = c.L2300_CLM_00_CLMInfo();
             clm->m01_PatAccountNum = "X";
             clm->m20_DelayReasonCode = L2300_CLM_20_1514_660_DelayReasonCode::val_1_ProofofEligiUnknown_1514_660;
             clm->Additem();
         },
         "CLM*X*******************1~"},
        {"only the frequency code: two leading empty components",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m0503_CLMFrequencyCode = "1";
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM*****::1~"},
        {"the unused middle component of CLM05 is still joined",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m0502_not_used_in_context = "X";
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM*****:X~"},
        {"only the facility type: trailing components dropped",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m0501_FacTypeCode = "11";
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM*****11~"},
        {"empty CLM05 before a code element",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m06_PROVorSupplierSigIndicator =
                 L2300_CLM_06_1073_599_PROVorSupplierSigIndicator::val_N_No_1073_599;
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM******N~"},
        {"only the third related cause",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m1103_RelatedCausesCode = Cause3::val_OA_OthAccident_1362_636;
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM***********::OA~"},
        {"only the country code: four empty components",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m1105_CountryCode = "CAN";
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM***********::::CAN~"},
        {"a code component whose text is a space is present",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m1102_RelatedCausesCode = static_cast<Cause2>(0x20);
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM***********: ~"},
        {"a code element whose text is a space is absent",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m12_SpecialProgramIndicator =
                 static_cast<L2300_CLM_12_1366_644_SpecialProgramIndicator>(0x20);
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM*~"},
        {"CLM12 after two empty composites",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m12_SpecialProgramIndicator =
                 L2300_CLM_12_1366_644_SpecialProgramIndicator::val_01_EarlyPeriodic_1366_644;
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM************01~"},
        {"a component separator inside a component is not escaped",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m0501_FacTypeCode = "1:1";
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM*****1:1~"},
        {"composites use the current component separator",
         [](vireo& c) {
             c.SubelementSeparator("^");
             auto clm = c.L2300_CLM_00_CLMInfo();
             clm->m0501_FacTypeCode = "11";
             clm->m0503_CLMFrequencyCode = "1";
             clm->m1101_RelatedCausesCode = Cause1::val_AA_AutoAccident_1362_624;
             clm->m1102_RelatedCausesCode = Cause2::val_EM_Employment_1362_630;
             clm->Additem();
         },
         "CLM*****11^^1******AA^EM~"},
        {"the assignment member that breaks the naming rule holds \"B\"",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m07_McareAssignmentCode =
                 L2300_CLM_07_1359_602_McareAssignmentCode::val_B_AssignmentAcceptedonLabSvcOnly_602;
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM*******B~"},
    };
    expect_cases(cases);
}

TEST(PackedDiagnoses, WriteNonEmptyCompositesWithoutGapsThenTheTrailingElements) {
    const Case cases[] = {
        {"two composites",
         [](vireo& c) {
             auto hi = c.L2300_HI_00_HealthCareDiagnosisCode();
             hi->m0101_DiagnosisTypeCode = Principal::val_BK_PrincipalDiagnosis_1270_1102;
             hi->m0102_DiagnosisCode = "4019";
             hi->m0201_DiagnosisTypeCode = L2300_HI_02_1270_1111_DiagnosisTypeCode::val_BF_Diagnosis_1270_1111;
             hi->m0202_DiagnosisCode = "25000";
             hi->Additem();
         },
         "HI*BK:4019*BF:25000~"},
        {"an empty HI02 leaves no gap before HI03",
         [](vireo& c) {
             auto hi = c.L2300_HI_00_HealthCareDiagnosisCode();
             hi->m0101_DiagnosisTypeCode = Principal::val_BK_PrincipalDiagnosis_1270_1102;
             hi->m0102_DiagnosisCode = "4019";
             hi->m0301_DiagnosisTypeCode = L2300_HI_03_1270_1120_DiagnosisTypeCode::val_BF_Diagnosis_1270_1120;
             hi->m0302_DiagnosisCode = "25000";
             hi->Additem();
         },
         "HI*BK:4019*BF:25000~"},
        {"only a diagnosis code",
         [](vireo& c) {
             c.L2300_HI_00_HealthCareDiagnosisCode()->m0102_DiagnosisCode = "4019";
             c.L2300_HI_00_HealthCareDiagnosisCode()->Additem();
         },
         "HI*:4019~"},
        {"only a type code",
         [](vireo& c) {
             c.L2300_HI_00_HealthCareDiagnosisCode()->m0101_DiagnosisTypeCode =
                 Principal::val_BK_PrincipalDiagnosis_1270_1102;
             c.L2300_HI_00_HealthCareDiagnosisCode()->Additem();
         },
         "HI*BK~"},
        {"a lone HI08 is the first element",
         [](vireo& c) {
             auto hi = c.L2300_HI_00_HealthCareDiagnosisCode();
             hi->m0801_DiagnosisTypeCode = L2300_HI_08_1270_1165_DiagnosisTypeCode::val_BF_Diagnosis_1270_1165;
             hi->m0802_DiagnosisCode = "V700";
             hi->m0807_not_used_in_context = "IGNORED";
             hi->Additem();
         },
         "HI*BF:V700~"},
        {"the seventh component of HI08 alone writes nothing",
         [](vireo& c) {
             c.L2300_HI_00_HealthCareDiagnosisCode()->m0807_not_used_in_context = "X";
             c.L2300_HI_00_HealthCareDiagnosisCode()->Additem();
         },
         "HI*~"},
        {"a type-only composite then a code-only composite",
         [](vireo& c) {
             auto hi = c.L2300_HI_00_HealthCareDiagnosisCode();
             hi->m0201_DiagnosisTypeCode = L2300_HI_02_1270_1111_DiagnosisTypeCode::val_BF_Diagnosis_1270_1111;
             hi->m0502_DiagnosisCode = "25000";
             hi->Additem();
         },
         "HI*BF*:25000~"},
        {"HI10 follows the last composite directly, HI09 empty",
         [](vireo& c) {
             auto hi = c.L2300_HI_00_HealthCareDiagnosisCode();
             hi->m0101_DiagnosisTypeCode = Principal::val_BK_PrincipalDiagnosis_1270_1102;
             hi->m0102_DiagnosisCode = "4019";
             hi->m10_not_used_in_context = "X";
             hi->Additem();
         },
         "HI*BK:4019**X~"},
        {"HI11 after one composite",
         [](vireo& c) {
             auto hi = c.L2300_HI_00_HealthCareDiagnosisCode();
             hi->m0101_DiagnosisTypeCode = Principal::val_BK_PrincipalDiagnosis_1270_1102;
             hi->m0102_DiagnosisCode = "4019";
             hi->m11_not_used_in_context = "Z";
             hi->Additem();
         },
         "HI*BK:4019***Z~"},
        {"without composites HI09 to HI12 start the segment",
         [](vireo& c) {
             c.L2300_HI_00_HealthCareDiagnosisCode()->m12_not_used_in_context = "X";
             c.L2300_HI_00_HealthCareDiagnosisCode()->Additem();
         },
         "HI****X~"},
        {"all eight composites, then HI09 at its own position",
         [](vireo& c) {
             auto hi = c.L2300_HI_00_HealthCareDiagnosisCode();
             hi->m0101_DiagnosisTypeCode = Principal::val_BK_PrincipalDiagnosis_1270_1102;
             hi->m0102_DiagnosisCode = "1";
             hi->m0201_DiagnosisTypeCode = L2300_HI_02_1270_1111_DiagnosisTypeCode::val_BF_Diagnosis_1270_1111;
             hi->m0202_DiagnosisCode = "2";
             hi->m0301_DiagnosisTypeCode = L2300_HI_03_1270_1120_DiagnosisTypeCode::val_BF_Diagnosis_1270_1120;
             hi->m0302_DiagnosisCode = "3";
             hi->m0401_DiagnosisTypeCode = L2300_HI_04_1270_1129_DiagnosisTypeCode::val_BF_Diagnosis_1270_1129;
             hi->m0402_DiagnosisCode = "4";
             hi->m0501_DiagnosisTypeCode = L2300_HI_05_1270_1138_DiagnosisTypeCode::val_BF_Diagnosis_1270_1138;
             hi->m0502_DiagnosisCode = "5";
             hi->m0601_DiagnosisTypeCode = L2300_HI_06_1270_1147_DiagnosisTypeCode::val_BF_Diagnosis_1270_1147;
             hi->m0602_DiagnosisCode = "6";
             hi->m0701_DiagnosisTypeCode = L2300_HI_07_1270_1156_DiagnosisTypeCode::val_BF_Diagnosis_1270_1156;
             hi->m0702_DiagnosisCode = "7";
             hi->m0801_DiagnosisTypeCode = L2300_HI_08_1270_1165_DiagnosisTypeCode::val_BF_Diagnosis_1270_1165;
             hi->m0802_DiagnosisCode = "8";
             hi->m0807_not_used_in_context = "IGNORED";
             hi->m09_not_used_in_context = "X";
             hi->Additem();
         },
         "HI*BK:1*BF:2*BF:3*BF:4*BF:5*BF:6*BF:7*BF:8*X~"},
        {"composites use the current component separator",
         [](vireo& c) {
             c.SubelementSeparator("^");
             auto hi = c.L2300_HI_00_HealthCareDiagnosisCode();
             hi->m0101_DiagnosisTypeCode = Principal::val_BK_PrincipalDiagnosis_1270_1102;
             hi->m0102_DiagnosisCode = "4019";
             hi->Additem();
         },
         "HI*BK^4019~"},
    };
    expect_cases(cases);
}

TEST(ProfessionalService, WritesProcedureAndPointerComposites) {
    const Case cases[] = {
        {"procedure, charge, unit, count and a pointer",
         [](vireo& c) {
             auto sv1 = c.L2400_SV1_00_ProfessionalSvc();
             fill_service(*sv1);
             sv1->Additem();
         },
         "SV1*HC:99213*50*UN*1***1~"},
        {"modifiers with an empty one between",
         [](vireo& c) {
             auto sv1 = c.L2400_SV1_00_ProfessionalSvc();
             fill_service(*sv1);
             sv1->m0103_ProcedureModifier = "25";
             sv1->m0105_ProcedureModifier = "59";
             sv1->Additem();
         },
         "SV1*HC:99213:25::59*50*UN*1***1~"},
        {"pointers 1 and 3",
         [](vireo& c) {
             auto sv1 = c.L2400_SV1_00_ProfessionalSvc();
             fill_service(*sv1);
             sv1->m0703_DiagnosisCodePointer = "3";
             sv1->Additem();
         },
         "SV1*HC:99213*50*UN*1***1::3~"},
        {"only SV101",
         [](vireo& c) {
             auto sv1 = c.L2400_SV1_00_ProfessionalSvc();
             sv1->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
             sv1->m0102_ProcedureCode = "99213";
             sv1->Additem();
         },
         "SV1*HC:99213~"},
        {"an empty SV101 before the charge",
         [](vireo& c) {
             c.L2400_SV1_00_ProfessionalSvc()->m02_LineChargeAmount = "50";
             c.L2400_SV1_00_ProfessionalSvc()->Additem();
         },
         "SV1**50~"},
        {"an empty SV107 holds its position before SV109",
         [](vireo& c) {
             auto sv1 = c.L2400_SV1_00_ProfessionalSvc();
             sv1->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
             sv1->m0102_ProcedureCode = "99213";
             sv1->m09_EmergencyIndicator = L2400_SV1_09_1073_2004_EmergencyIndicator::val_Y_Yes_1073_2004;
             sv1->Additem();
         },
         "SV1*HC:99213********Y~"},
        {"only the seventh procedure component",
         [](vireo& c) {
             c.L2400_SV1_00_ProfessionalSvc()->m0107_not_used_in_context = "X";
             c.L2400_SV1_00_ProfessionalSvc()->Additem();
         },
         "SV1*::::::X~"},
        {"only the fourth pointer",
         [](vireo& c) {
             c.L2400_SV1_00_ProfessionalSvc()->m0704_DiagnosisCodePointer = "4";
             c.L2400_SV1_00_ProfessionalSvc()->Additem();
         },
         "SV1*******:::4~"},
        {"the qualifier alone and the co-pay status",
         [](vireo& c) {
             auto sv1 = c.L2400_SV1_00_ProfessionalSvc();
             sv1->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_N4_NDCin542Format_235_1976;
             sv1->m15_CoPayStatusCode = L2400_SV1_15_1327_2014_CoPayStatusCode::val_0_Copayexempt_1327_2014;
             sv1->Additem();
         },
         "SV1*N4**************0~"},
        {"the last element",
         [](vireo& c) {
             c.L2400_SV1_00_ProfessionalSvc()->m21_not_used_in_context = "X";
             c.L2400_SV1_00_ProfessionalSvc()->Additem();
         },
         "SV1*********************X~"},
        {"composites use the current component separator",
         [](vireo& c) {
             c.SubelementSeparator("^");
             auto sv1 = c.L2400_SV1_00_ProfessionalSvc();
             fill_service(*sv1);
             sv1->m0702_DiagnosisCodePointer = "2";
             sv1->Additem();
         },
         "SV1*HC^99213*50*UN*1***1^2~"},
    };
    expect_cases(cases);
}

TEST(LineAdjudication, WritesTheProcedureComposite) {
    const Case cases[] = {
        {"payer, amount, procedure and units",
         [](vireo& c) {
             auto svd = c.L2430_SVD_00_LineAdjudInfo();
             fill_adjudication(*svd);
             svd->Additem();
         },
         "SVD*P1*40*HC:99213**1~"},
        {"an empty SVD03 holds its position",
         [](vireo& c) {
             auto svd = c.L2430_SVD_00_LineAdjudInfo();
             fill_adjudication(*svd);
             svd->m0301_ProductorSvcIDQul = {};
             svd->m0302_ProcedureCode.clear();
             svd->Additem();
         },
         "SVD*P1*40***1~"},
        {"a modifier after an empty one",
         [](vireo& c) {
             auto svd = c.L2430_SVD_00_LineAdjudInfo();
             svd->m0301_ProductorSvcIDQul = L2430_SVD_03_235_2912_ProductorSvcIDQul::val_HC_CMSHCPCS_235_2912;
             svd->m0302_ProcedureCode = "99213";
             svd->m0304_ProcedureModifier = "25";
             svd->Additem();
         },
         "SVD***HC:99213::25~"},
        {"only the description",
         [](vireo& c) {
             c.L2430_SVD_00_LineAdjudInfo()->m0307_ProcedureCodeDescription = "DESC";
             c.L2430_SVD_00_LineAdjudInfo()->Additem();
         },
         "SVD***::::::DESC~"},
        {"only the qualifier after the payer",
         [](vireo& c) {
             auto svd = c.L2430_SVD_00_LineAdjudInfo();
             svd->m01_OthPayerPrimaryIdent = "P1";
             svd->m0301_ProductorSvcIDQul = L2430_SVD_03_235_2912_ProductorSvcIDQul::val_ZZ_MutuallyDefined_235_2912;
             svd->Additem();
         },
         "SVD*P1**ZZ~"},
        {"only the bundled line number",
         [](vireo& c) {
             c.L2430_SVD_00_LineAdjudInfo()->m06_BundledorUnbundledLineNum = "2";
             c.L2430_SVD_00_LineAdjudInfo()->Additem();
         },
         "SVD******2~"},
    };
    expect_cases(cases);
}

TEST(AnnotationLabels, TwoClassesUseTheirOwnLabel) {
    const Case cases[] = {
        {"claim identifier for clearing houses",
         [](vireo& c) {
             c.Annotation(-1);
             auto ref = c.L2300_REF_09_CLMIDNumforCLHouse();
             ref->m01_RefIDQul = L2300_REF_01_128_908_RefIDQul::val_D9_CLMNum_128_908;
             ref->m02_SvcAuthExceptionCode = "CH1";
             ref->Additem();
         },
         "\r\n\tL_2300_REF_CLMIDNumberforCLHouse\r\n\r\nREF*D9*CH1~"},
        {"assumed and relinquished care dates",
         [](vireo& c) {
             c.Annotation(-1);
             auto dtp = c.L2300_DTP_18_DateAssumedRelinqCare();
             dtp->m01_DateTimeQul = L2300_DTP_01_374_782_DateTimeQul::val_090_ReportStart_374_782;
             dtp->m02_DateTimePeriodFormatQul = L2300_DTP_02_1250_785_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_785;
             dtp->m03_OrderDate = "20040101";
             dtp->Additem();
         },
         "\r\n\tL_2300_DTP_DateAssumedandRelinquishedCareDates\r\n\r\nDTP*090*D8*20040101~"},
        {"their neighbours follow the rule",
         [](vireo& c) {
             c.Annotation(-1);
             c.L2300_REF_08_InvestDeviceExemptNum()->Additem();
             c.L2300_DTP_17_DateDischarge()->Additem();
         },
         "\r\n\tL_2300_REF_InvestDeviceExemptNum\r\n\r\nREF*~\r\n\tL_2300_DTP_DateDischarge\r\n\r\nDTP*~"},
    };
    expect_cases(cases);
}
