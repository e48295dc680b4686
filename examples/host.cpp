// A host program that writes the claims of examples/professional-claims.json
// through the typed C++ API: the same calls, in the same order, as the script,
// and therefore the same bytes.
//
//   vireo_example_host [OUTPUT]     (default out/professional-claims.837)
#include <cstdio>
#include <exception>
#include <string>

#include "vireo/control/vireo.h"

using namespace prjVireo;

namespace {

void write_claims(vireo& ctl) {
    // Interchange and functional group envelope
    ctl.NewLine(NewLineValues::LF_ToSegEnd);
    {
        auto seg = ctl.L0_ISA_00_IntControlHeader();
        seg->Clear();
        seg->m01_AuthInfoQul = L0_ISA_01_001_001_AuthInfoQul::val_00_NoAuthInfoPresentinISA02;
        seg->m02_AuthInfo = "";
        seg->m03_SecurityInfoQul = L0_ISA_03_001_001_SecurityInfoQul::val_00_NoSecurityInfoPresentinISA04;
        seg->m04_SecurityInfo = "";
        seg->m05_IntIDQul = L0_ISA_05_001_001_IntIDQul::val_ZZ_MutuallyDefined;
        seg->m06_IntSenderID = "VIREOSUBMIT";
        seg->m07_IntIDQul = L0_ISA_05_001_001_IntIDQul::val_ZZ_MutuallyDefined;
        seg->m08_IntRecvID = "CLEARHOUSE01";
        seg->m09_IntDate = "240201";
        seg->m10_IntTime = "0930";
        seg->m11_IntStandsIdent = L0_ISA_11_001_001_IntControlStandsIdent::val_U_US_EDICommunityofASCX12TDCCandUCS;
        seg->m12_IntControlVersionNum = "00401";
        seg->m13_IntControlNumMustMatchIEA02 = "000000101";
        seg->m14_AcknowledgmentRequested = L0_ISA_14_001_001_AcknowledgmentRequested::val_0_NotAcknowledgmentRequested;
        seg->m15_ProductionTestUsageIndicator = L0_ISA_15_001_001_UsageIndicator::val_T_TestData;
        seg->Additem();
    }
    {
        auto seg = ctl.L0_GS_00_FunctGroupHeader();
        seg->Clear();
        seg->m01_FunctIdentCode = L0_GS_01_001_001_FunctIdentCode::val_HC_HealthCareCLMs;
        seg->m02_AppSendersCode = "VIREOSUBMIT";
        seg->m03_AppRecvsCode = "CLEARHOUSE01";
        seg->m04_CreationDate = "20240201";
        seg->m05_CreationTime = "0930";
        seg->m06_GroupControlNum = "101";
        seg->m07_RespAgencyCode = L0_GS_07_001_001_RespAgencyCode::val_X_AccreditedStandsCommitteeX12;
        seg->m08_VersionReleaseIndIdentCode = "004010X098A1";
        seg->Additem();
    }

    // Transaction set: SegCount 0 before ST, so that SE counts ST to SE itself
    ctl.SegCount("0");
    {
        auto seg = ctl.L1_ST_00_TransSetHeader();
        seg->Clear();
        seg->m01_TransSetIdentCode = L1_ST_01_143_3_TransSetIdentCode::val_837_HealthCareCLM_143_3;
        seg->m02_TransSetControlNum = "0001";
        seg->Additem();
    }
    {
        auto seg = ctl.L1_BHT_00_BegHITrans();
        seg->Clear();
        seg->m01_HIStructCode = L1_BHT_01_1005_7_HIStructCode::val_0019_InfoSourceSubDep_1005_7;
        seg->m02_TransSetPurposeCode = L1_BHT_02_353_9_TransSetPurposeCode::val_00_Orig_353_9;
        seg->m03_OriginatorAppTransIdent = "BATCH20240201";
        seg->m04_TransSetCreationDate = "20240201";
        seg->m05_TransSetCreationTime = "0930";
        seg->m06_CLMorEncounterIdent = L1_BHT_06_640_15_CLMorEncounterIdent::val_CH_Chargeable_640_15;
        seg->Additem();
    }
    {
        auto seg = ctl.L1_REF_00_TranTypeID();
        seg->Clear();
        seg->m01_RefIDQul = L1_REF_01_128_19_RefIDQul::val_87_FunctCategory_128_19;
        seg->m02_TranTypeCode = "004010X098A1";
        seg->Additem();
    }

    // 1000A submitter, 1000B receiver
    {
        auto seg = ctl.L1000A_NM1_00_SubName();
        seg->Clear();
        seg->m01_EntityIdentCode = L1000A_NM1_01_98_25_EntityIdentCode::val_41_Sub_98_25;
        seg->m02_EntityTypeQul = L1000A_NM1_02_1065_27_EntityTypeQul::val_2_NonPersonEntity_1065_27;
        seg->m03_SubLastorOrgName = "VIREO BILLING SERVICES";
        seg->m08_IDCodeQul = L1000A_NM1_08_66_35_IDCodeQul::val_46_ETransmitterIDNumETIN_66_35;
        seg->m09_SubIdent = "VBS12345";
        seg->Additem();
    }
    {
        auto seg = ctl.L1000A_PER_00_SubEDIContactInfo();
        seg->Clear();
        seg->m01_ContactFunctionCode = L1000A_PER_01_366_44_ContactFunctionCode::val_IC_InfoContact_366_44;
        seg->m02_SubContactName = "EDI DESK";
        seg->m03_CommunicationNumQul = L1000A_PER_03_365_47_CommunicationNumQul::val_TE_Telephone_365_47;
        seg->m04_CommunicationNum = "2175550100";
        seg->m05_CommunicationNumQul = L1000A_PER_05_365_53_CommunicationNumQul::val_EM_Email_365_53;
        seg->m06_CommunicationNum = "EDI@VIREOBILLING.EXAMPLE";
        seg->Additem();
    }
    {
        auto seg = ctl.L1000B_NM1_00_RecvName();
        seg->Clear();
        seg->m01_EntityIdentCode = L1000B_NM1_01_98_69_EntityIdentCode::val_40_Recv_98_69;
        seg->m02_EntityTypeQul = L1000B_NM1_02_1065_71_EntityTypeQul::val_2_NonPersonEntity_1065_71;
        seg->m03_RecvName = "CLEARINGHOUSE ONE";
        seg->m08_IDCodeQul = L1000B_NM1_08_66_78_IDCodeQul::val_46_ETransmitterIDNumETIN_66_78;
        seg->m09_RecvPrimaryIdent = "CH01";
        seg->Additem();
    }

    // 2000A billing provider (HL 1)
    {
        auto seg = ctl.L2000A_HL_00_BillPaytoPROVHILevel();
        seg->Clear();
        seg->m01_HIIDNum = "1";
        seg->m03_HILevelCode = L2000A_HL_03_735_89_HILevelCode::val_20_InfoSource_735_89;
        seg->m04_HIChildCode = L2000A_HL_04_736_91_HIChildCode::val_1_AddSubHLDataSeginThisHIStr_736_91;
        seg->Additem();
    }
    {
        auto seg = ctl.L2000A_PRV_00_BillPaytoPROVSpecInfo();
        seg->Clear();
        seg->m01_PROVCode = L2000A_PRV_01_1221_94_PROVCode::val_BI_Bill_1221_94;
        seg->m02_RefIDQul = L2000A_PRV_02_128_97_RefIDQul::val_ZZ_MutuallyDefined_128_97;
        seg->m03_PROVTaxonomyCode = "207Q00000X";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010AA_NM1_00_BillPROVName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2010AA_NM1_01_98_127_EntityIdentCode::val_85_BillPROV_98_127;
        seg->m02_EntityTypeQul = L2010AA_NM1_02_1065_129_EntityTypeQul::val_2_NonPersonEntity_1065_129;
        seg->m03_BillPROVLastorOrgalName = "RIVERSIDE FAMILY MEDICINE";
        seg->m08_IDCodeQul = L2010AA_NM1_08_66_137_IDCodeQul::val_XX_CMSNationalPROV_66_137;
        seg->m09_BillPROVIdent = "1345678902";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010AA_N3_00_BillPROVAddress();
        seg->Clear();
        seg->m01_BillPROVAddressLine = "100 MAIN STREET";
        seg->m02_BillPROVAddressLine = "SUITE 200";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010AA_N4_00_BillPROVCityStateZip();
        seg->Clear();
        seg->m01_BillPROVCityName = "SPRINGFIELD";
        seg->m02_BillPROVStateorProvinceCode = "IL";
        seg->m03_BillPROVPostalZoneorZip = "627011234";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010AA_REF_00_BillPROV2ndID();
        seg->Clear();
        seg->m01_RefIDQul = L2010AA_REF_01_128_158_RefIDQul::val_EI_EmpIDNum_128_158;
        seg->m02_BillPROVAddIdent = "371234567";
        seg->Additem();
    }

    // 2010AB pay-to provider
    {
        auto seg = ctl.L2010AB_NM1_00_PaytoPROVName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2010AB_NM1_01_98_216_EntityIdentCode::val_87_PaytoPROV_98_216;
        seg->m02_EntityTypeQul = L2010AB_NM1_02_1065_218_EntityTypeQul::val_2_NonPersonEntity_1065_218;
        seg->m03_PaytoPROVLastorOrgalName = "RIVERSIDE MEDICAL GROUP";
        seg->m08_IDCodeQul = L2010AB_NM1_08_66_226_IDCodeQul::val_XX_CMSNationalPROV_66_226;
        seg->m09_PaytoPROVIdent = "1456789019";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010AB_N3_00_PaytoPROVAddress();
        seg->Clear();
        seg->m01_PaytoPROVAddressLine = "PO BOX 4500";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010AB_N4_00_PaytoPROVCityStateZip();
        seg->Clear();
        seg->m01_PaytoPROVCityName = "SPRINGFIELD";
        seg->m02_PaytoPROVStateCode = "IL";
        seg->m03_PaytoPROVPostalZoneorZip = "627054500";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010AB_REF_00_PaytoPROV2ndID();
        seg->Clear();
        seg->m01_RefIDQul = L2010AB_REF_01_128_247_RefIDQul::val_EI_EmpIDNum_128_247;
        seg->m02_PaytoPROVIdent = "371234567";
        seg->Additem();
    }

    // 2000B subscriber who is the patient (HL 2)
    {
        auto seg = ctl.L2000B_HL_00_SubscriberHILevel();
        seg->Clear();
        seg->m01_HIIDNum = "2";
        seg->m02_HIParentIDNum = "1";
        seg->m03_HILevelCode = L2000B_HL_03_735_272_HILevelCode::val_22_Subscriber_735_272;
        seg->m04_HIChildCode = L2000B_HL_04_736_274_HIChildCode::val_0_NoSubHLSeginThisHIStruct_736_274;
        seg->Additem();
    }
    {
        auto seg = ctl.L2000B_SBR_00_SubscriberInfo();
        seg->Clear();
        seg->m01_PayerRespSequenceNumCode = L2000B_SBR_01_1138_278_PayerRespSequenceNumCode::val_P_Primary_1138_278;
        seg->m02_IndividualRelationshipCode = L2000B_SBR_02_1069_282_IndividualRelationshipCode::val_18_Self_1069_282;
        seg->m03_InsuredGrouporPolicyNum = "GRP45678";
        seg->m09_CLMFilingIndicatorCode = L2000B_SBR_09_1032_299_CLMFilingIndicatorCode::val_CI_CommercialInsuranceCo_1032_299;
        seg->Additem();
    }
    {
        auto seg = ctl.L2010BA_NM1_00_SubscriberName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2010BA_NM1_01_98_337_EntityIdentCode::val_IL_InsuredorSubscriber_98_337;
        seg->m02_EntityTypeQul = L2010BA_NM1_02_1065_339_EntityTypeQul::val_1_Person_1065_339;
        seg->m03_SubscriberLastName = "DOE";
        seg->m04_SubscriberFirstName = "JOHN";
        seg->m05_SubscriberMiddleName = "A";
        seg->m08_IDCodeQul = L2010BA_NM1_08_66_347_IDCodeQul::val_MI_MemberIDNum_66_347;
        seg->m09_SubscriberPrimaryIdent = "XYZ123456789";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010BA_N3_00_SubscriberAddress();
        seg->Clear();
        seg->m01_SubscriberAddressLine = "45 OAK AVENUE";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010BA_N4_00_SubscriberCityStateZip();
        seg->Clear();
        seg->m01_SubscriberCityName = "SPRINGFIELD";
        seg->m02_SubscriberStateCode = "IL";
        seg->m03_SubscriberPostalZoneorZip = "62704";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010BA_DMG_00_SubscriberDmoInfo();
        seg->Clear();
        seg->m01_DateTimePeriodFormatQul = L2010BA_DMG_01_1250_367_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_367;
        seg->m02_SubscriberBirthDate = "19650312";
        seg->m03_SubscriberGenderCode = L2010BA_DMG_03_1068_370_SubscriberGenderCode::val_M_Male_1068_370;
        seg->Additem();
    }
    {
        auto seg = ctl.L2010BB_NM1_00_PayerName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2010BB_NM1_01_98_396_EntityIdentCode::val_PR_Payer_98_396;
        seg->m02_EntityTypeQul = L2010BB_NM1_02_1065_398_EntityTypeQul::val_2_NonPersonEntity_1065_398;
        seg->m03_PayerName = "PRAIRIE HEALTH PLAN";
        seg->m08_IDCodeQul = L2010BB_NM1_08_66_405_IDCodeQul::val_PI_PayorID_66_405;
        seg->m09_PayerIdent = "PHP01";
        seg->Additem();
    }

    // 2300 claim JD240108A: 3 lines, 165
    {
        auto seg = ctl.L2300_CLM_00_CLMInfo();
        seg->Clear();
        seg->m01_PatAccountNum = "JD240108A";
        seg->m02_TotalCLMChargeAmount = "165";
        seg->m0501_FacTypeCode = "11";
        seg->m0503_CLMFrequencyCode = "1";
        seg->m06_PROVorSupplierSigIndicator = L2300_CLM_06_1073_599_PROVorSupplierSigIndicator::val_Y_Yes_1073_599;
        seg->m07_McareAssignmentCode = L2300_CLM_07_1359_602_McareAssignmentCode::val_A_Assigned_1359_602;
        seg->m08_BenefitsAssignmentCertIndicator = L2300_CLM_08_1073_607_BenefitsAssignmentCertIndicator::val_Y_Yes_1073_607;
        seg->m09_ReleaseofInfoCode = L2300_CLM_09_1363_610_ReleaseofInfoCode::val_Y_YesPROVhasaSigned_1363_610;
        seg->m10_PatSigSourceCode = L2300_CLM_10_1351_617_PatSigSourceCode::val_C_SignedHCFA1500CLM_1351_617;
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_DTP_04_DateOnsetofCurSpell();
        seg->Clear();
        seg->m01_DateTimeQul = L2300_DTP_01_374_697_DateTimeQul::val_431_OnsetofCurSpell_374_697;
        seg->m02_DateTimePeriodFormatQul = L2300_DTP_02_1250_699_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_699;
        seg->m03_OrderDate = "20240102";
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_REF_11_MedicalRecordNum();
        seg->Clear();
        seg->m01_RefIDQul = L2300_REF_01_128_920_RefIDQul::val_EA_MedicalRecordIDNum_128_920;
        seg->m02_SvcAuthExceptionCode = "MRN0045117";
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_HI_00_HealthCareDiagnosisCode();
        seg->Clear();
        seg->m0101_DiagnosisTypeCode = L2300_HI_01_1270_1102_DiagnosisTypeCode::val_BK_PrincipalDiagnosis_1270_1102;
        seg->m0102_DiagnosisCode = "4019";
        seg->m0201_DiagnosisTypeCode = L2300_HI_02_1270_1111_DiagnosisTypeCode::val_BF_Diagnosis_1270_1111;
        seg->m0202_DiagnosisCode = "2724";
        seg->m0301_DiagnosisTypeCode = L2300_HI_03_1270_1120_DiagnosisTypeCode::val_BF_Diagnosis_1270_1120;
        seg->m0302_DiagnosisCode = "25000";
        seg->Additem();
    }
    {
        auto seg = ctl.L2310B_NM1_00_RenderPROVName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2310B_NM1_01_98_1334_EntityIdentCode::val_82_RenderPROV_98_1334;
        seg->m02_EntityTypeQul = L2310B_NM1_02_1065_1336_EntityTypeQul::val_1_Person_1065_1336;
        seg->m03_RenderPROVLastorOrgName = "SMITH";
        seg->m04_RenderPROVFirstName = "JANE";
        seg->m08_IDCodeQul = L2310B_NM1_08_66_1344_IDCodeQul::val_XX_CMSNationalPROV_66_1344;
        seg->m09_RenderPROVIdent = "1567890128";
        seg->Additem();
    }
    {
        auto seg = ctl.L2310B_PRV_00_RenderPROVSpecInfo();
        seg->Clear();
        seg->m01_PROVCode = L2310B_PRV_01_1221_1352_PROVCode::val_PE_Performing_1221_1352;
        seg->m02_RefIDQul = L2310B_PRV_02_128_1354_RefIDQul::val_ZZ_MutuallyDefined_128_1354;
        seg->m03_PROVTaxonomyCode = "207Q00000X";
        seg->Additem();
    }

    // 2400 line 1
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "99213";
        seg->m02_LineChargeAmount = "110";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "1";
        seg->m0702_DiagnosisCodePointer = "2";
        seg->m0703_DiagnosisCodePointer = "3";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240108";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "JD240108A-1";
        seg->Additem();
    }

    // 2400 line 2
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "2";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "36415";
        seg->m02_LineChargeAmount = "20";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "2";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240108";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "JD240108A-2";
        seg->Additem();
    }

    // 2400 line 3
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "3";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "85025";
        seg->m02_LineChargeAmount = "35";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "3";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240108";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "JD240108A-3";
        seg->Additem();
    }

    // 2300 claim JD240122B: 3 lines, 263
    {
        auto seg = ctl.L2300_CLM_00_CLMInfo();
        seg->Clear();
        seg->m01_PatAccountNum = "JD240122B";
        seg->m02_TotalCLMChargeAmount = "263";
        seg->m0501_FacTypeCode = "11";
        seg->m0503_CLMFrequencyCode = "1";
        seg->m06_PROVorSupplierSigIndicator = L2300_CLM_06_1073_599_PROVorSupplierSigIndicator::val_Y_Yes_1073_599;
        seg->m07_McareAssignmentCode = L2300_CLM_07_1359_602_McareAssignmentCode::val_A_Assigned_1359_602;
        seg->m08_BenefitsAssignmentCertIndicator = L2300_CLM_08_1073_607_BenefitsAssignmentCertIndicator::val_Y_Yes_1073_607;
        seg->m09_ReleaseofInfoCode = L2300_CLM_09_1363_610_ReleaseofInfoCode::val_Y_YesPROVhasaSigned_1363_610;
        seg->m10_PatSigSourceCode = L2300_CLM_10_1351_617_PatSigSourceCode::val_C_SignedHCFA1500CLM_1351_617;
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_DTP_04_DateOnsetofCurSpell();
        seg->Clear();
        seg->m01_DateTimeQul = L2300_DTP_01_374_697_DateTimeQul::val_431_OnsetofCurSpell_374_697;
        seg->m02_DateTimePeriodFormatQul = L2300_DTP_02_1250_699_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_699;
        seg->m03_OrderDate = "20240115";
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_REF_03_PriorAuthorReferralNum();
        seg->Clear();
        seg->m01_RefIDQul = L2300_REF_01_128_871_RefIDQul::val_G1_PriorAuthNum_128_871;
        seg->m02_SvcAuthExceptionCode = "PA778899";
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_REF_11_MedicalRecordNum();
        seg->Clear();
        seg->m01_RefIDQul = L2300_REF_01_128_920_RefIDQul::val_EA_MedicalRecordIDNum_128_920;
        seg->m02_SvcAuthExceptionCode = "MRN0045117";
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_HI_00_HealthCareDiagnosisCode();
        seg->Clear();
        seg->m0101_DiagnosisTypeCode = L2300_HI_01_1270_1102_DiagnosisTypeCode::val_BK_PrincipalDiagnosis_1270_1102;
        seg->m0102_DiagnosisCode = "78650";
        seg->m0201_DiagnosisTypeCode = L2300_HI_02_1270_1111_DiagnosisTypeCode::val_BF_Diagnosis_1270_1111;
        seg->m0202_DiagnosisCode = "4019";
        seg->m0301_DiagnosisTypeCode = L2300_HI_03_1270_1120_DiagnosisTypeCode::val_BF_Diagnosis_1270_1120;
        seg->m0302_DiagnosisCode = "2724";
        seg->Additem();
    }

    // 2400 line 1
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "99214";
        seg->m02_LineChargeAmount = "160";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "1";
        seg->m0702_DiagnosisCodePointer = "2";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240122";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "JD240122B-1";
        seg->Additem();
    }

    // 2400 line 2
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "2";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "93000";
        seg->m02_LineChargeAmount = "55";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240122";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "JD240122B-2";
        seg->Additem();
    }

    // 2400 line 3
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "3";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "80053";
        seg->m02_LineChargeAmount = "48";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "2";
        seg->m0702_DiagnosisCodePointer = "3";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240122";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "JD240122B-3";
        seg->Additem();
    }

    // 2000B subscriber with a dependent patient (HL 3)
    {
        auto seg = ctl.L2000B_HL_00_SubscriberHILevel();
        seg->Clear();
        seg->m01_HIIDNum = "3";
        seg->m02_HIParentIDNum = "1";
        seg->m03_HILevelCode = L2000B_HL_03_735_272_HILevelCode::val_22_Subscriber_735_272;
        seg->m04_HIChildCode = L2000B_HL_04_736_274_HIChildCode::val_1_AddionalSubHLDataSeg_736_274;
        seg->Additem();
    }
    {
        auto seg = ctl.L2000B_SBR_00_SubscriberInfo();
        seg->Clear();
        seg->m01_PayerRespSequenceNumCode = L2000B_SBR_01_1138_278_PayerRespSequenceNumCode::val_S_2nd_1138_278;
        seg->m03_InsuredGrouporPolicyNum = "GRP20931";
        seg->m09_CLMFilingIndicatorCode = L2000B_SBR_09_1032_299_CLMFilingIndicatorCode::val_CI_CommercialInsuranceCo_1032_299;
        seg->Additem();
    }
    {
        auto seg = ctl.L2010BA_NM1_00_SubscriberName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2010BA_NM1_01_98_337_EntityIdentCode::val_IL_InsuredorSubscriber_98_337;
        seg->m02_EntityTypeQul = L2010BA_NM1_02_1065_339_EntityTypeQul::val_1_Person_1065_339;
        seg->m03_SubscriberLastName = "MILLER";
        seg->m04_SubscriberFirstName = "ROBERT";
        seg->m08_IDCodeQul = L2010BA_NM1_08_66_347_IDCodeQul::val_MI_MemberIDNum_66_347;
        seg->m09_SubscriberPrimaryIdent = "PHP778812301";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010BB_NM1_00_PayerName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2010BB_NM1_01_98_396_EntityIdentCode::val_PR_Payer_98_396;
        seg->m02_EntityTypeQul = L2010BB_NM1_02_1065_398_EntityTypeQul::val_2_NonPersonEntity_1065_398;
        seg->m03_PayerName = "PRAIRIE HEALTH PLAN";
        seg->m08_IDCodeQul = L2010BB_NM1_08_66_405_IDCodeQul::val_PI_PayorID_66_405;
        seg->m09_PayerIdent = "PHP01";
        seg->Additem();
    }

    // 2000C patient (HL 4), child of the subscriber
    {
        auto seg = ctl.L2000C_HL_00_PatHILevel();
        seg->Clear();
        seg->m01_HIIDNum = "4";
        seg->m02_HIParentIDNum = "3";
        seg->m03_HILevelCode = L2000C_HL_03_735_490_HILevelCode::val_23_Dep_735_490;
        seg->m04_HIChildCode = L2000C_HL_04_736_492_HIChildCode::val_0_NoSubHLSeginThisHIStruct_736_492;
        seg->Additem();
    }
    {
        auto seg = ctl.L2000C_PAT_00_PatInfo();
        seg->Clear();
        seg->m01_IndividualRelationshipCode = L2000C_PAT_01_1069_495_IndividualRelationshipCode::val_19_Child_1069_495;
        seg->Additem();
    }
    {
        auto seg = ctl.L2010CA_NM1_00_PatName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2010CA_NM1_01_98_533_EntityIdentCode::val_QC_Pat_98_533;
        seg->m02_EntityTypeQul = L2010CA_NM1_02_1065_535_EntityTypeQul::val_1_Person_1065_535;
        seg->m03_PatLastName = "MILLER";
        seg->m04_PatFirstName = "EMMA";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010CA_N3_00_PatAddress();
        seg->Clear();
        seg->m01_PatAddressLine = "912 ELM STREET";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010CA_N4_00_PatCityStateZip();
        seg->Clear();
        seg->m01_PatCityName = "CHATHAM";
        seg->m02_PatStateCode = "IL";
        seg->m03_PatPostalZoneorZip = "62629";
        seg->Additem();
    }
    {
        auto seg = ctl.L2010CA_DMG_00_PatDmoInfo();
        seg->Clear();
        seg->m01_DateTimePeriodFormatQul = L2010CA_DMG_01_1250_562_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_562;
        seg->m02_PatBirthDate = "20190415";
        seg->m03_PatGenderCode = L2010CA_DMG_03_1068_565_PatGenderCode::val_F_Female_1068_565;
        seg->Additem();
    }

    // 2300 claim EM240112C: 3 lines, 225
    {
        auto seg = ctl.L2300_CLM_00_CLMInfo();
        seg->Clear();
        seg->m01_PatAccountNum = "EM240112C";
        seg->m02_TotalCLMChargeAmount = "225";
        seg->m0501_FacTypeCode = "11";
        seg->m0503_CLMFrequencyCode = "1";
        seg->m06_PROVorSupplierSigIndicator = L2300_CLM_06_1073_599_PROVorSupplierSigIndicator::val_Y_Yes_1073_599;
        seg->m07_McareAssignmentCode = L2300_CLM_07_1359_602_McareAssignmentCode::val_A_Assigned_1359_602;
        seg->m08_BenefitsAssignmentCertIndicator = L2300_CLM_08_1073_607_BenefitsAssignmentCertIndicator::val_Y_Yes_1073_607;
        seg->m09_ReleaseofInfoCode = L2300_CLM_09_1363_610_ReleaseofInfoCode::val_Y_YesPROVhasaSigned_1363_610;
        seg->m10_PatSigSourceCode = L2300_CLM_10_1351_617_PatSigSourceCode::val_C_SignedHCFA1500CLM_1351_617;
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_REF_11_MedicalRecordNum();
        seg->Clear();
        seg->m01_RefIDQul = L2300_REF_01_128_920_RefIDQul::val_EA_MedicalRecordIDNum_128_920;
        seg->m02_SvcAuthExceptionCode = "MRN0078802";
        seg->Additem();
    }
    {
        auto seg = ctl.L2300_HI_00_HealthCareDiagnosisCode();
        seg->Clear();
        seg->m0101_DiagnosisTypeCode = L2300_HI_01_1270_1102_DiagnosisTypeCode::val_BK_PrincipalDiagnosis_1270_1102;
        seg->m0102_DiagnosisCode = "V202";
        seg->m0201_DiagnosisTypeCode = L2300_HI_02_1270_1111_DiagnosisTypeCode::val_BF_Diagnosis_1270_1111;
        seg->m0202_DiagnosisCode = "V061";
        seg->Additem();
    }
    {
        auto seg = ctl.L2310B_NM1_00_RenderPROVName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2310B_NM1_01_98_1334_EntityIdentCode::val_82_RenderPROV_98_1334;
        seg->m02_EntityTypeQul = L2310B_NM1_02_1065_1336_EntityTypeQul::val_1_Person_1065_1336;
        seg->m03_RenderPROVLastorOrgName = "LEE";
        seg->m04_RenderPROVFirstName = "DAVID";
        seg->m08_IDCodeQul = L2310B_NM1_08_66_1344_IDCodeQul::val_XX_CMSNationalPROV_66_1344;
        seg->m09_RenderPROVIdent = "1678901236";
        seg->Additem();
    }
    {
        auto seg = ctl.L2310B_PRV_00_RenderPROVSpecInfo();
        seg->Clear();
        seg->m01_PROVCode = L2310B_PRV_01_1221_1352_PROVCode::val_PE_Performing_1221_1352;
        seg->m02_RefIDQul = L2310B_PRV_02_128_1354_RefIDQul::val_ZZ_MutuallyDefined_128_1354;
        seg->m03_PROVTaxonomyCode = "208000000X";
        seg->Additem();
    }

    // 2320 other payer (primary) already paid 150; patient owes 29
    {
        auto seg = ctl.L2320_SBR_00_OthSubscriberInfo();
        seg->Clear();
        seg->m01_PayerRespSequenceNumCode = L2320_SBR_01_1138_1506_PayerRespSequenceNumCode::val_P_Primary_1138_1506;
        seg->m02_IndividualRelationshipCode = L2320_SBR_02_1069_1510_IndividualRelationshipCode::val_19_Child_1069_1510;
        seg->m03_InsuredGrouporPolicyNum = "GRP99887";
        seg->m05_InsuranceTypeCode = L2320_SBR_05_1336_1537_InsuranceTypeCode::val_C1_Commercial_1336_1537;
        seg->m09_CLMFilingIndicatorCode = L2320_SBR_09_1032_1556_CLMFilingIndicatorCode::val_CI_CommercialInsuranceCo_1032_1556;
        seg->Additem();
    }
    {
        auto seg = ctl.L2320_AMT_00_COBPayerPaidAmount();
        seg->Clear();
        seg->m01_AmountQulCode = L2320_AMT_01_522_1606_AmountQulCode::val_D_PayorAmountPaid_522_1606;
        seg->m02_PayerPaidAmount = "150";
        seg->Additem();
    }
    {
        auto seg = ctl.L2320_AMT_03_COBPatRespAmount();
        seg->Clear();
        seg->m01_AmountQulCode = L2320_AMT_01_522_1621_AmountQulCode::val_F2_PatRespActual_522_1621;
        seg->m02_PayerPaidAmount = "29";
        seg->Additem();
    }
    {
        auto seg = ctl.L2320_DMG_00_SubscriberDmoInfo();
        seg->Clear();
        seg->m01_DateTimePeriodFormatQul = L2320_DMG_01_1250_1656_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_1656;
        seg->m02_OthInsuredBirthDate = "19800722";
        seg->m03_OthInsuredGenderCode = L2320_DMG_03_1068_1659_OthInsuredGenderCode::val_F_Female_1068_1659;
        seg->Additem();
    }
    {
        auto seg = ctl.L2320_OI_00_OthInsuranceCoverageInfo();
        seg->Clear();
        seg->m03_BenefitsAssignmentCertIndicator = L2320_OI_03_1073_1672_BenefitsAssignmentCertIndicator::val_Y_Yes_1073_1672;
        seg->m04_PatSigSourceCode = L2320_OI_04_1351_1675_PatSigSourceCode::val_C_SignedHCFA1500onfile_1351_1675;
        seg->m06_ReleaseofInfoCode = L2320_OI_06_1363_1682_ReleaseofInfoCode::val_Y_YesPROVhasaSigned_1363_1682;
        seg->Additem();
    }
    {
        auto seg = ctl.L2330A_NM1_00_OthSubscriberName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2330A_NM1_01_98_1700_EntityIdentCode::val_IL_InsuredorSubscriber_98_1700;
        seg->m02_EntityTypeQul = L2330A_NM1_02_1065_1702_EntityTypeQul::val_1_Person_1065_1702;
        seg->m03_OthInsuredLastName = "MILLER";
        seg->m04_OthInsuredFirstName = "LINDA";
        seg->m08_IDCodeQul = L2330A_NM1_08_66_1710_IDCodeQul::val_MI_MemberIDNum_66_1710;
        seg->m09_OthInsuredIdent = "MMI556677";
        seg->Additem();
    }
    {
        auto seg = ctl.L2330B_NM1_00_OthPayerName();
        seg->Clear();
        seg->m01_EntityIdentCode = L2330B_NM1_01_98_1739_EntityIdentCode::val_PR_Payer_98_1739;
        seg->m02_EntityTypeQul = L2330B_NM1_02_1065_1741_EntityTypeQul::val_2_NonPersonEntity_1065_1741;
        seg->m03_OthPayerLastorOrgName = "MERIDIAN MUTUAL";
        seg->m08_IDCodeQul = L2330B_NM1_08_66_1748_IDCodeQul::val_PI_PayorID_66_1748;
        seg->m09_OthPayerPrimaryIdent = "MM002";
        seg->Additem();
    }

    // 2400 line 1
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "99393";
        seg->m02_LineChargeAmount = "150";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240112";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "EM240112C-1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_SVD_00_LineAdjudInfo();
        seg->Clear();
        seg->m01_OthPayerPrimaryIdent = "MM002";
        seg->m02_SvcLinePaidAmount = "100";
        seg->m0301_ProductorSvcIDQul = L2430_SVD_03_235_2912_ProductorSvcIDQul::val_HC_CMSHCPCS_235_2912;
        seg->m0302_ProcedureCode = "99393";
        seg->m05_PaidSvcUnitCount = "1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_CAS_00_LineAdj();
        seg->Clear();
        seg->m01_CLMAdjGroupCode = L2430_CAS_01_1033_2930_CLMAdjGroupCode::val_CO_ContractualObligations_1033_2930;
        seg->m02_AdjReasonCode = "45";
        seg->m03_AdjAmount = "30";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_CAS_00_LineAdj();
        seg->Clear();
        seg->m01_CLMAdjGroupCode = L2430_CAS_01_1033_2930_CLMAdjGroupCode::val_PR_PatResp_1033_2930;
        seg->m02_AdjReasonCode = "2";
        seg->m03_AdjAmount = "20";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_DTP_00_LineAdjudDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2430_DTP_01_374_2955_DateTimeQul::val_573_DateCLMPaid_374_2955;
        seg->m02_DateTimePeriodFormatQul = L2430_DTP_02_1250_2957_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2957;
        seg->m03_AdjudorPaymentDate = "20240125";
        seg->Additem();
    }

    // 2400 line 2
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "2";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "90460";
        seg->m02_LineChargeAmount = "45";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "2";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240112";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "EM240112C-2";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_SVD_00_LineAdjudInfo();
        seg->Clear();
        seg->m01_OthPayerPrimaryIdent = "MM002";
        seg->m02_SvcLinePaidAmount = "30";
        seg->m0301_ProductorSvcIDQul = L2430_SVD_03_235_2912_ProductorSvcIDQul::val_HC_CMSHCPCS_235_2912;
        seg->m0302_ProcedureCode = "90460";
        seg->m05_PaidSvcUnitCount = "1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_CAS_00_LineAdj();
        seg->Clear();
        seg->m01_CLMAdjGroupCode = L2430_CAS_01_1033_2930_CLMAdjGroupCode::val_CO_ContractualObligations_1033_2930;
        seg->m02_AdjReasonCode = "45";
        seg->m03_AdjAmount = "10";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_CAS_00_LineAdj();
        seg->Clear();
        seg->m01_CLMAdjGroupCode = L2430_CAS_01_1033_2930_CLMAdjGroupCode::val_PR_PatResp_1033_2930;
        seg->m02_AdjReasonCode = "2";
        seg->m03_AdjAmount = "5";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_DTP_00_LineAdjudDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2430_DTP_01_374_2955_DateTimeQul::val_573_DateCLMPaid_374_2955;
        seg->m02_DateTimePeriodFormatQul = L2430_DTP_02_1250_2957_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2957;
        seg->m03_AdjudorPaymentDate = "20240125";
        seg->Additem();
    }

    // 2400 line 3
    {
        auto seg = ctl.L2400_LX_00_SvcLine();
        seg->Clear();
        seg->m01_AssignedNum = "3";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_SV1_00_ProfessionalSvc();
        seg->Clear();
        seg->m0101_ProductorSvcIDQul = L2400_SV1_01_235_1976_ProductorSvcIDQul::val_HC_CMS_HCPCS_235_1976;
        seg->m0102_ProcedureCode = "90700";
        seg->m02_LineChargeAmount = "30";
        seg->m03_UnitorBasisforMeasurementCode = L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode::val_UN_Unit_355_1991;
        seg->m04_SvcUnitCount = "1";
        seg->m0701_DiagnosisCodePointer = "2";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_DTP_00_DateSvcDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
        seg->m02_DateTimePeriodFormatQul = L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2254;
        seg->m03_SvcDate = "20240112";
        seg->Additem();
    }
    {
        auto seg = ctl.L2400_REF_03_LineControlNum();
        seg->Clear();
        seg->m01_RefIDQul = L2400_REF_01_128_2415_RefIDQul::val_6R_PROVControlNum_128_2415;
        seg->m02_RepricedLineRefNum = "EM240112C-3";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_SVD_00_LineAdjudInfo();
        seg->Clear();
        seg->m01_OthPayerPrimaryIdent = "MM002";
        seg->m02_SvcLinePaidAmount = "20";
        seg->m0301_ProductorSvcIDQul = L2430_SVD_03_235_2912_ProductorSvcIDQul::val_HC_CMSHCPCS_235_2912;
        seg->m0302_ProcedureCode = "90700";
        seg->m05_PaidSvcUnitCount = "1";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_CAS_00_LineAdj();
        seg->Clear();
        seg->m01_CLMAdjGroupCode = L2430_CAS_01_1033_2930_CLMAdjGroupCode::val_CO_ContractualObligations_1033_2930;
        seg->m02_AdjReasonCode = "45";
        seg->m03_AdjAmount = "6";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_CAS_00_LineAdj();
        seg->Clear();
        seg->m01_CLMAdjGroupCode = L2430_CAS_01_1033_2930_CLMAdjGroupCode::val_PR_PatResp_1033_2930;
        seg->m02_AdjReasonCode = "2";
        seg->m03_AdjAmount = "4";
        seg->Additem();
    }
    {
        auto seg = ctl.L2430_DTP_00_LineAdjudDate();
        seg->Clear();
        seg->m01_DateTimeQul = L2430_DTP_01_374_2955_DateTimeQul::val_573_DateCLMPaid_374_2955;
        seg->m02_DateTimePeriodFormatQul = L2430_DTP_02_1250_2957_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_2957;
        seg->m03_AdjudorPaymentDate = "20240125";
        seg->Additem();
    }

    // Trailers: SE counts itself (m01 left empty), then GE and IEA
    {
        auto seg = ctl.L2440_SE_00_TransSetTrailer();
        seg->Clear();
        seg->m02_TransSetControlNum = "0001";
        seg->Additem();
    }
    {
        auto seg = ctl.L0_GE_00_FunctGroupTrailer();
        seg->Clear();
        seg->m01_NumofTransSetsIncluded = "1";
        seg->m02_GroupControlNum = "101";
        seg->Additem();
    }
    {
        auto seg = ctl.L0_IEA_00_IntControlTrailer();
        seg->Clear();
        seg->m01_NumofIncludedFunctGroupsCount = "1";
        seg->m02_IntControlNum = "000000101";
        seg->Additem();
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string path = argc > 1 ? argv[1] : "out/professional-claims.837";
    try {
        vireo ctl;
        TextPropertyBag saved;  // a control placed new: "*", ":" and "~", NewLine 0
        ctl.ReadProperties(saved);
        ctl.ErrorTrap(-1);  // every error reaches this host instead of being passed over
        ctl.OpenFile(path);
        write_claims(ctl);
        ctl.CloseFile();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vireo_example_host: %s\n", e.what());
        return 1;
    }
    std::printf("wrote %s\n", path.c_str());
    return 0;
}
