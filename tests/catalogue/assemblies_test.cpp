// Segments with several fields set at once: the classes with composite
// elements, CLM (CLM05, CLM11), HI (eight packed diagnosis composites, then
// HI09 to HI12), SV1 (SV101, SV107) and SVD (SVD03), and plain text elements.
// Each field set alone, every code member and the cleared segment are written
// for every class in catalogue_test.cpp.
#include "test_support.h"

using namespace prjVireo;

namespace {

struct Case {
    const char* what;
    void (*write)(vireo&);
    std::string bytes;
};

// The file written by `write` on a control with "*", ":" and "~", NewLine 0
// and Annotation off, on a writer state as a new thread has it.
std::string written_by(void (*write)(vireo&)) {
    vireo_test::reset_writer_state();
    std::string path = vireo_test::temp_path();
    {
        vireo control;
        control.DataElementSeparator("*");
        control.SubelementSeparator(":");
        control.SegmentTerminator("~");
        control.OpenFile(path);
        write(control);
        control.CloseFile();
    }
    vireo_test::reset_writer_state();
    return vireo_test::read_file(path);
}

template <std::size_t N>
void expect_cases(const Case (&cases)[N]) {
    for (const Case& c : cases) EXPECT_EQ(written_by(c.write), c.bytes) << c.what;
}

using Cause1 = L2300_CLM_11_1362_624_RelatedCausesCode;
using Cause2 = L2300_CLM_11_1362_630_RelatedCausesCode;

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
        {"a code component whose text is a space is present",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m1102_RelatedCausesCode = static_cast<Cause2>(0x20);
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM***********: ~"},
        {"a component separator inside a component is not escaped",
         [](vireo& c) {
             c.L2300_CLM_00_CLMInfo()->m0501_FacTypeCode = "1:1";
             c.L2300_CLM_00_CLMInfo()->Additem();
         },
         "CLM*****1:1~"},
    };
    expect_cases(cases);
}

TEST(PackedDiagnoses, WriteNonEmptyCompositesWithoutGapsThenTheTrailingElements) {
    const Case cases[] = {
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

TEST(ServiceComposites, WriteProcedureAndPointerComposites) {
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
        {"line adjudication: payer, amount, procedure and units",
         [](vireo& c) {
             auto svd = c.L2430_SVD_00_LineAdjudInfo();
             fill_adjudication(*svd);
             svd->Additem();
         },
         "SVD*P1*40*HC:99213**1~"},
    };
    expect_cases(cases);
}

// Text is written as it was set: no date check, a single space present.
TEST(PlainElements, WriteTheirTextUnchanged) {
    const Case cases[] = {
        {"a single space is present",
         [](vireo& c) {
             auto nm1 = c.L2010AA_NM1_00_BillPROVName();
             nm1->m01_EntityIdentCode = L2010AA_NM1_01_98_127_EntityIdentCode::val_85_BillPROV_98_127;
             nm1->m03_BillPROVLastorOrgalName = " ";
             nm1->Additem();
         },
         "NM1*85** ~"},
        {"a date that does not match its format",
         [](vireo& c) {
             auto dtp = c.L2400_DTP_00_DateSvcDate();
             dtp->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
             dtp->m02_DateTimePeriodFormatQul =
                 L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
             dtp->m03_SvcDate = "1/5/2004";
             dtp->Additem();
         },
         "DTP*472*D8*1/5/2004~"},
    };
    expect_cases(cases);
}
