// The segment families through the typed API: absent elements written as
// empty positions, trailing ones dropped, code fields as their code text,
// text written unchanged, and the members whose names break the naming rule.
#include "catalogue_cases.h"

using namespace prjVireo;
using catalogue_cases::Case;
using catalogue_cases::expect_cases;

TEST(NameSegments, WriteUpToTheLastPresentElement) {
    const Case cases[] = {
        {"billing provider organisation",
         [](vireo& c) {
             auto nm1 = c.L2010AA_NM1_00_BillPROVName();
             nm1->m01_EntityIdentCode = L2010AA_NM1_01_98_127_EntityIdentCode::val_85_BillPROV_98_127;
             nm1->m02_EntityTypeQul = L2010AA_NM1_02_1065_129_EntityTypeQul::val_2_NonPersonEntity_1065_129;
             nm1->m03_BillPROVLastorOrgalName = "ACME CLINIC";
             nm1->m08_IDCodeQul = L2010AA_NM1_08_66_137_IDCodeQul::val_XX_CMSNationalPROV_66_137;
             nm1->m09_BillPROVIdent = "1234567893";
             nm1->Additem();
         },
         "NM1*85*2*ACME CLINIC*****XX*1234567893~"},
        {"entity and name only",
         [](vireo& c) {
             auto nm1 = c.L2010AA_NM1_00_BillPROVName();
             nm1->m01_EntityIdentCode = L2010AA_NM1_01_98_127_EntityIdentCode::val_85_BillPROV_98_127;
             nm1->m03_BillPROVLastorOrgalName = "SMITH";
             nm1->Additem();
         },
         "NM1*85**SMITH~"},
        {"name only",
         [](vireo& c) {
             c.L2010AA_NM1_00_BillPROVName()->m03_BillPROVLastorOrgalName = "SMITH";
             c.L2010AA_NM1_00_BillPROVName()->Additem();
         },
         "NM1***SMITH~"},
        {"subscriber with a suffix",
         [](vireo& c) {
             auto nm1 = c.L2010BA_NM1_00_SubscriberName();
             nm1->m01_EntityIdentCode = L2010BA_NM1_01_98_337_EntityIdentCode::val_IL_InsuredorSubscriber_98_337;
             nm1->m02_EntityTypeQul = L2010BA_NM1_02_1065_339_EntityTypeQul::val_1_Person_1065_339;
             nm1->m03_SubscriberLastName = "DOE";
             nm1->m04_SubscriberFirstName = "JOHN";
             nm1->m07_SubscriberNameSuffix = "JR";
             nm1->m08_IDCodeQul = L2010BA_NM1_08_66_347_IDCodeQul::val_MI_MemberIDNum_66_347;
             nm1->m09_SubscriberPrimaryIdent = "123456789A";
             nm1->Additem();
         },
         "NM1*IL*1*DOE*JOHN***JR*MI*123456789A~"},
        {"NM108 of the responsible party is text",
         [](vireo& c) {
             auto nm1 = c.L2010BC_NM1_00_RespPartyName();
             nm1->m01_EntityIdentCode = L2010BC_NM1_01_98_434_EntityIdentCode::val_QD_RespParty_98_434;
             nm1->m02_EntityTypeQul = L2010BC_NM1_02_1065_436_EntityTypeQul::val_1_Person_1065_436;
             nm1->m03_RespPartyLastorOrgName = "DOE";
             nm1->m04_RespPartyFirstName = "JANE";
             nm1->m08_not_used_in_context = "ZZ";
             nm1->Additem();
         },
         "NM1*QD*1*DOE*JANE****ZZ~"},
        {"NM108 of another payer's supervising provider is text",
         [](vireo& c) {
             auto nm1 = c.L2330H_NM1_00_OthPayerSuperPROV();
             nm1->m01_EntityIdentCode = L2330H_NM1_01_98_1948_EntityIdentCode::val_DQ_SuperPhysician_98_1948;
             nm1->m08_not_used_in_context = "XX";
             nm1->m09_not_used_in_context = "1";
             nm1->Additem();
         },
         "NM1*DQ*******XX*1~"},
        {"a single space is present",
         [](vireo& c) {
             auto nm1 = c.L2010AA_NM1_00_BillPROVName();
             nm1->m01_EntityIdentCode = L2010AA_NM1_01_98_127_EntityIdentCode::val_85_BillPROV_98_127;
             nm1->m03_BillPROVLastorOrgalName = " ";
             nm1->Additem();
         },
         "NM1*85** ~"},
        {"a code outside its list is written as its code text",
         [](vireo& c) {
             c.L2420G_NM1_00_OthPayerPriorAuthReflNum()->m01_EntityIdentCode =
                 static_cast<L2420G_NM1_01_98_2886_EntityIdentCode>(code_value("ZZZ"));
             c.L2420G_NM1_00_OthPayerPriorAuthReflNum()->Additem();
         },
         "NM1*ZZZ~"},
        {"cleared",
         [](vireo& c) {
             auto nm1 = c.L2010AA_NM1_00_BillPROVName();
             nm1->m09_BillPROVIdent = "1";
             nm1->Clear();
             nm1->Additem();
         },
         "NM1*~"},
    };
    expect_cases(cases);
}

TEST(AddressSegments, WriteStreetCityAndContact) {
    const Case cases[] = {
        {"first address line",
         [](vireo& c) {
             c.L2010AA_N3_00_BillPROVAddress()->m01_BillPROVAddressLine = "123 MAIN ST";
             c.L2010AA_N3_00_BillPROVAddress()->Additem();
         },
         "N3*123 MAIN ST~"},
        {"second address line only",
         [](vireo& c) {
             c.L2420C_N3_00_SvcFacLocAddress()->m02_LaborFacAddressLine = "SUITE 100";
             c.L2420C_N3_00_SvcFacLocAddress()->Additem();
         },
         "N3**SUITE 100~"},
        {"city, state and postal code",
         [](vireo& c) {
             auto n4 = c.L2010BA_N4_00_SubscriberCityStateZip();
             n4->m01_SubscriberCityName = "SPRINGFIELD";
             n4->m02_SubscriberStateCode = "IL";
             n4->m03_SubscriberPostalZoneorZip = "627011234";
             n4->Additem();
         },
         "N4*SPRINGFIELD*IL*627011234~"},
        {"country code only",
         [](vireo& c) {
             c.L2310D_N4_00_SvcFacLocCityStateZIP()->m04_CountryCode = "CAN";
             c.L2310D_N4_00_SvcFacLocCityStateZIP()->Additem();
         },
         "N4****CAN~"},
        {"the last unused N4 element",
         [](vireo& c) {
             c.L2420E_N4_00_OrdPROVCityStateZip()->m06_not_used_in_context = "X";
             c.L2420E_N4_00_OrdPROVCityStateZip()->Additem();
         },
         "N4******X~"},
        {"contact with telephone and extension",
         [](vireo& c) {
             auto per = c.L2010AA_PER_00_BillPROVContactInfo();
             per->m01_ContactFunctionCode = L2010AA_PER_01_366_194_ContactFunctionCode::val_IC_InfoContact_366_194;
             per->m02_BillPROVContactName = "JANE DOE";
             per->m03_CommunicationNumQul = L2010AA_PER_03_365_197_CommunicationNumQul::val_TE_Telephone_365_197;
             per->m04_CommunicationNum = "5555551234";
             per->m05_CommunicationNumQul =
                 L2010AA_PER_05_365_202_CommunicationNumQul::val_EX_TelephoneExtension_365_202;
             per->m06_CommunicationNum = "123";
             per->Additem();
         },
         "PER*IC*JANE DOE*TE*5555551234*EX*123~"},
        {"contact without a name",
         [](vireo& c) {
             auto per = c.L2010AA_PER_00_BillPROVContactInfo();
             per->m01_ContactFunctionCode = L2010AA_PER_01_366_194_ContactFunctionCode::val_IC_InfoContact_366_194;
             per->m03_CommunicationNumQul = L2010AA_PER_03_365_197_CommunicationNumQul::val_TE_Telephone_365_197;
             per->m04_CommunicationNum = "5555551234";
             per->Additem();
         },
         "PER*IC**TE*5555551234~"},
        {"a number without its qualifier",
         [](vireo& c) {
             auto per = c.L2010AA_PER_00_BillPROVContactInfo();
             per->m01_ContactFunctionCode = L2010AA_PER_01_366_194_ContactFunctionCode::val_IC_InfoContact_366_194;
             per->m04_CommunicationNum = "5555551234";
             per->Additem();
         },
         "PER*IC***5555551234~"},
        {"the third number pair of the submitter",
         [](vireo& c) {
             auto per = c.L1000A_PER_00_SubEDIContactInfo();
             per->m07_CommunicationNumQul = L1000A_PER_07_365_60_CommunicationNumQul::val_EM_Email_365_60;
             per->m08_CommunicationNum = "A@B.C";
             per->Additem();
         },
         "PER*******EM*A@B.C~"},
    };
    expect_cases(cases);
}

TEST(ReferenceSegments, WriteQualifierAndIdentifier) {
    const Case cases[] = {
        {"transaction type",
         [](vireo& c) {
             auto ref = c.L1_REF_00_TranTypeID();
             ref->m01_RefIDQul = L1_REF_01_128_19_RefIDQul::val_87_FunctCategory_128_19;
             ref->m02_TranTypeCode = "ABC";
             ref->Additem();
         },
         "REF*87*ABC~"},
        {"REF01 and REF03",
         [](vireo& c) {
             auto ref = c.L2010AA_REF_00_BillPROV2ndID();
             ref->m01_RefIDQul = L2010AA_REF_01_128_158_RefIDQul::val_0B_StateLicenseNum_128_158;
             ref->m03_not_used_in_context = "X";
             ref->Additem();
         },
         "REF*0B**X~"},
        {"REF04 only",
         [](vireo& c) {
             c.L2400_REF_10_UniversalProductNumUPN()->m04_not_used_in_context = "X";
             c.L2400_REF_10_UniversalProductNumUPN()->Additem();
         },
         "REF****X~"},
        {"REF01 only",
         [](vireo& c) {
             c.L2310B_REF_00_RenderPROV2ndID()->m01_RefIDQul =
                 L2310B_REF_01_128_1364_RefIDQul::val_0B_StateLicenseNum_128_1364;
             c.L2310B_REF_00_RenderPROV2ndID()->Additem();
         },
         "REF*0B~"},
        {"REF02 of one space",
         [](vireo& c) {
             auto ref = c.L2010AA_REF_00_BillPROV2ndID();
             ref->m01_RefIDQul = L2010AA_REF_01_128_158_RefIDQul::val_0B_StateLicenseNum_128_158;
             ref->m02_BillPROVAddIdent = " ";
             ref->Additem();
         },
         "REF*0B* ~"},
        {"a separator ending the last element is stripped",
         [](vireo& c) {
             auto ref = c.L2010AA_REF_00_BillPROV2ndID();
             ref->m01_RefIDQul = L2010AA_REF_01_128_158_RefIDQul::val_0B_StateLicenseNum_128_158;
             ref->m02_BillPROVAddIdent = "A*";
             ref->Additem();
         },
         "REF*0B*A~"},
        {"REF04 is one plain element, component separators included",
         [](vireo& c) {
             auto ref = c.L2010AA_REF_00_BillPROV2ndID();
             ref->m01_RefIDQul = L2010AA_REF_01_128_158_RefIDQul::val_0B_StateLicenseNum_128_158;
             ref->m02_BillPROVAddIdent = "X";
             ref->m04_not_used_in_context = "1A:Z";
             ref->Additem();
         },
         "REF*0B*X**1A:Z~"},
        {"every 2300 class names REF02 alike",
         [](vireo& c) {
             auto ref = c.L2300_REF_11_MedicalRecordNum();
             ref->m01_RefIDQul = L2300_REF_01_128_920_RefIDQul::val_EA_MedicalRecordIDNum_128_920;
             ref->m02_SvcAuthExceptionCode = "MR1";
             ref->Additem();
         },
         "REF*EA*MR1~"},
        {"lists with the same codes spell descriptions their own way",
         [](vireo& c) {
             auto ref = c.L2310C_REF_00_PrchSvcPROV2ndID();
             ref->m01_RefIDQul = L2310C_REF_01_128_1399_RefIDQul::val_U3_UniqSupplierIDNumUSIN_128_1399;
             ref->Additem();
             auto line = c.L2420A_REF_00_RenderPROV2ndID();
             line->m01_RefIDQul = L2420A_REF_01_128_2628_RefIDQul::val_X5_StateIndAccidPROVNum_128_2628;
             line->Additem();
         },
         "REF*U3~REF*X5~"},
        {"cleared",
         [](vireo& c) { c.L2420G_REF_00_OthPayerPriorAuthReflNum()->Additem(); },
         "REF*~"},
    };
    expect_cases(cases);
}

TEST(HierarchySegments, WriteLevelsCoverageAndParties) {
    const Case cases[] = {
        {"billing provider level without a parent",
         [](vireo& c) {
             auto hl = c.L2000A_HL_00_BillPaytoPROVHILevel();
             hl->m01_HIIDNum = "1";
             hl->m03_HILevelCode = L2000A_HL_03_735_89_HILevelCode::val_20_InfoSource_735_89;
             hl->m04_HIChildCode = L2000A_HL_04_736_91_HIChildCode::val_1_AddSubHLDataSeginThisHIStr_736_91;
             hl->Additem();
         },
         "HL*1**20*1~"},
        {"the child code \"0\" is present",
         [](vireo& c) {
             auto hl = c.L2000B_HL_00_SubscriberHILevel();
             hl->m01_HIIDNum = "2";
             hl->m02_HIParentIDNum = "1";
             hl->m03_HILevelCode = L2000B_HL_03_735_272_HILevelCode::val_22_Subscriber_735_272;
             hl->m04_HIChildCode = L2000B_HL_04_736_274_HIChildCode::val_0_NoSubHLSeginThisHIStruct_736_274;
             hl->Additem();
         },
         "HL*2*1*22*0~"},
        {"no child code",
         [](vireo& c) {
             auto hl = c.L2000B_HL_00_SubscriberHILevel();
             hl->m01_HIIDNum = "2";
             hl->m02_HIParentIDNum = "1";
             hl->m03_HILevelCode = L2000B_HL_03_735_272_HILevelCode::val_22_Subscriber_735_272;
             hl->Additem();
         },
         "HL*2*1*22~"},
        {"subscriber coverage with a filing indicator",
         [](vireo& c) {
             auto sbr = c.L2000B_SBR_00_SubscriberInfo();
             sbr->m01_PayerRespSequenceNumCode = L2000B_SBR_01_1138_278_PayerRespSequenceNumCode::val_P_Primary_1138_278;
             sbr->m02_IndividualRelationshipCode = L2000B_SBR_02_1069_282_IndividualRelationshipCode::val_18_Self_1069_282;
             sbr->m09_CLMFilingIndicatorCode = L2000B_SBR_09_1032_299_CLMFilingIndicatorCode::val_MB_McarePartB_1032_299;
             sbr->Additem();
         },
         "SBR*P*18*******MB~"},
        {"the other subscriber's relationship member that breaks the naming rule",
         [](vireo& c) {
             auto sbr = c.L2320_SBR_00_OthSubscriberInfo();
             sbr->m01_PayerRespSequenceNumCode = L2320_SBR_01_1138_1506_PayerRespSequenceNumCode::val_S_2nd_1138_1506;
             sbr->m02_IndividualRelationshipCode =
                 L2320_SBR_02_1069_1510_IndividualRelationshipCode::val_43_ChildInsuredNoFinResp;
             sbr->Additem();
         },
         "SBR*S*43~"},
        {"subscriber demographics",
         [](vireo& c) {
             auto dmg = c.L2010BA_DMG_00_SubscriberDmoInfo();
             dmg->m01_DateTimePeriodFormatQul =
                 L2010BA_DMG_01_1250_367_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_367;
             dmg->m02_SubscriberBirthDate = "19700101";
             dmg->m03_SubscriberGenderCode = L2010BA_DMG_03_1068_370_SubscriberGenderCode::val_F_Female_1068_370;
             dmg->Additem();
         },
         "DMG*D8*19700101*F~"},
        {"provider taxonomy",
         [](vireo& c) {
             auto prv = c.L2000A_PRV_00_BillPaytoPROVSpecInfo();
             prv->m01_PROVCode = L2000A_PRV_01_1221_94_PROVCode::val_BI_Bill_1221_94;
             prv->m02_RefIDQul = L2000A_PRV_02_128_97_RefIDQul::val_ZZ_MutuallyDefined_128_97;
             prv->m03_PROVTaxonomyCode = "207Q00000X";
             prv->Additem();
         },
         "PRV*BI*ZZ*207Q00000X~"},
        {"currency",
         [](vireo& c) {
             auto cur = c.L2000A_CUR_00_ForeignCurrencyInfo();
             cur->m01_EntityIdentCode = L2000A_CUR_01_98_104_EntityIdentCode::val_85_BillPROV_98_104;
             cur->m02_CurrencyCode = "CAD";
             cur->Additem();
         },
         "CUR*85*CAD~"},
        {"the last of twenty-one currency elements",
         [](vireo& c) {
             c.L2000A_CUR_00_ForeignCurrencyInfo()->m21_not_used_in_context = "X";
             c.L2000A_CUR_00_ForeignCurrencyInfo()->Additem();
         },
         "CUR*********************X~"},
        {"insured's death date, PAT01 unused",
         [](vireo& c) {
             auto pat = c.L2000B_PAT_00_PatInfo();
             pat->m05_DateTimePeriodFormatQul =
                 L2000B_PAT_05_1250_328_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_328;
             pat->m06_InsuredIndividualDeathDate = "20040101";
             pat->Additem();
         },
         "PAT*****D8*20040101~"},
        {"PAT01 of the subscriber level is text",
         [](vireo& c) {
             c.L2000B_PAT_00_PatInfo()->m01_not_used_in_context = "01";
             c.L2000B_PAT_00_PatInfo()->Additem();
         },
         "PAT*01~"},
        {"the patient's relationship member that breaks the naming rule",
         [](vireo& c) {
             auto pat = c.L2000C_PAT_00_PatInfo();
             pat->m01_IndividualRelationshipCode =
                 L2000C_PAT_01_1069_495_IndividualRelationshipCode::val_43_ChildInsuredHasNoFinResp_495;
             pat->m09_PregnancyIndicator = L2000C_PAT_09_1073_530_PregnancyIndicator::val_Y_Yes_1073_530;
             pat->Additem();
         },
         "PAT*43********Y~"},
    };
    expect_cases(cases);
}

TEST(ClaimSegments, WriteSupplementalContractFileNoteAndPricing) {
    const Case cases[] = {
        {"attachment by mail",
         [](vireo& c) {
             auto pwk = c.L2300_PWK_00_CLMSupplementalInfo();
             pwk->m01_AttachmentReportTypeCode =
                 L2300_PWK_01_755_789_AttachmentReportTypeCode::val_OZ_SupportDataforCLM_755_789;
             pwk->m02_AttachmentTranCode = L2300_PWK_02_756_810_AttachmentTranCode::val_BM_ByMail_756_810;
             pwk->m05_IDCodeQul = L2300_PWK_05_66_818_IDCodeQul::val_AC_AttachmentControlNum_66_818;
             pwk->m06_AttachmentControlNum = "DOC123";
             pwk->Additem();
         },
         "PWK*OZ*BM***AC*DOC123~"},
        {"line PWK05 is text",
         [](vireo& c) {
             auto pwk = c.L2400_PWK_00_DMERCCMNIndicator();
             pwk->m01_AttachmentReportTypeCode = L2400_PWK_01_755_2042_AttachmentReportTypeCode::val_CT_Cert_755_2042;
             pwk->m05_not_used_in_context = "AC";
             pwk->Additem();
         },
         "PWK*CT****AC~"},
        {"the line contract list holds \"01\"",
         [](vireo& c) {
             auto cn1 = c.L2400_CN1_00_ContractInfo();
             cn1->m01_ContractTypeCode = L2400_CN1_01_1166_2382_ContractTypeCode::val_01_DRG_1166_2382;
             cn1->m06_ContractVersionIdent = "V1";
             cn1->Additem();
         },
         "CN1*01*****V1~"},
        {"file information",
         [](vireo& c) {
             c.L2300_K3_00_FileInfo()->m01_FixedFormatInfo = "STATE DATA";
             c.L2300_K3_00_FileInfo()->Additem();
         },
         "K3*STATE DATA~"},
        {"claim note",
         [](vireo& c) {
             auto nte = c.L2300_NTE_00_CLMNote();
             nte->m01_NoteRefCode = L2300_NTE_01_363_936_NoteRefCode::val_ADD_AddInfo_363_936;
             nte->m02_CLMNoteText = "SEE ATTACHED";
             nte->Additem();
         },
         "NTE*ADD*SEE ATTACHED~"},
        {"a note ending in separators loses them",
         [](vireo& c) {
             auto nte = c.L2400_NTE_00_LineNote();
             nte->m01_NoteRefCode = L2400_NTE_01_363_2483_NoteRefCode::val_DCP_GoalsPlans_363_2483;
             nte->m02_LineNoteText = "A**";
             nte->Additem();
         },
         "NTE*DCP*A~"},
        {"a code whose text is a single space is absent",
         [](vireo& c) {
             c.L2300_NTE_00_CLMNote()->m01_NoteRefCode = static_cast<L2300_NTE_01_363_936_NoteRefCode>(0x20);
             c.L2300_NTE_00_CLMNote()->Additem();
         },
         "NTE*~"},
        {"claim pricing: HCP09 and HCP11 are text",
         [](vireo& c) {
             auto hcp = c.L2300_HCP_00_CLMPricingRepricingInfo();
             hcp->m01_PricingMethodology = L2300_HCP_01_1473_1178_PricingMethodology::val_00_ZeroPricingNotCovered_1473_1178;
             hcp->m09_not_used_in_context = "HC";
             hcp->m11_not_used_in_context = "UN";
             hcp->m15_ExceptionCode = L2300_HCP_15_1527_1217_ExceptionCode::val_6_Oth_1527_1217;
             hcp->Additem();
         },
         "HCP*00********HC**UN****6~"},
        {"line pricing: the reject member that breaks the naming rule",
         [](vireo& c) {
             auto hcp = c.L2400_HCP_00_LinePricingRepricingInfo();
             hcp->m09_ProductorSvcIDQul = L2400_HCP_09_235_2568_ProductorSvcIDQul::val_HC_CMSHCPCS_235_2568;
             hcp->m10_ProcedureCode = "99213";
             hcp->m13_RejectReasonCode = L2400_HCP_13_901_2577_RejectReasonCode::val_T2_CannotIdentifyPayerasTPO901_2577;
             hcp->Additem();
         },
         "HCP*********HC*99213***T2~"},
    };
    expect_cases(cases);
}

TEST(DateAndAmountSegments, WriteQualifiersAndTextUnchanged) {
    const Case cases[] = {
        {"service date range, the member that breaks the naming rule",
         [](vireo& c) {
             auto dtp = c.L2400_DTP_00_DateSvcDate();
             dtp->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
             dtp->m02_DateTimePeriodFormatQul =
                 L2400_DTP_02_1250_2254_DateTimePeriodFormatQul::val_RD8_Dat_Range_fmt_CCYYMMDDCCYYMMDD;
             dtp->m03_SvcDate = "20040101-20040105";
             dtp->Additem();
         },
         "DTP*472*RD8*20040101-20040105~"},
        {"accident date and time",
         [](vireo& c) {
             auto dtp = c.L2300_DTP_07_DateAccident();
             dtp->m01_DateTimeQul = L2300_DTP_01_374_715_DateTimeQul::val_439_Accident_374_715;
             dtp->m02_DateTimePeriodFormatQul =
                 L2300_DTP_02_1250_717_DateTimePeriodFormatQul::val_DT_DateTimeIn_CCYYMMDDHHMM_1250_717;
             dtp->m03_OrderDate = "200401011530";
             dtp->Additem();
         },
         "DTP*439*DT*200401011530~"},
        {"a code with a leading zero",
         [](vireo& c) {
             auto dtp = c.L2300_DTP_17_DateDischarge();
             dtp->m01_DateTimeQul = L2300_DTP_01_374_776_DateTimeQul::val_096_Discharge_374_776;
             dtp->m02_DateTimePeriodFormatQul =
                 L2300_DTP_02_1250_778_DateTimePeriodFormatQul::val_D8_DateIn_CCYYMMDD_1250_778;
             dtp->m03_OrderDate = "20040105";
             dtp->Additem();
         },
         "DTP*096*D8*20040105~"},
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
        {"no format qualifier",
         [](vireo& c) {
             auto dtp = c.L2400_DTP_00_DateSvcDate();
             dtp->m01_DateTimeQul = L2400_DTP_01_374_2252_DateTimeQul::val_472_Svc_374_2252;
             dtp->m03_SvcDate = "20040101";
             dtp->Additem();
         },
         "DTP*472**20040101~"},
        {"date only",
         [](vireo& c) {
             c.L2430_DTP_00_LineAdjudDate()->m03_AdjudorPaymentDate = "20040101";
             c.L2430_DTP_00_LineAdjudDate()->Additem();
         },
         "DTP***20040101~"},
        {"payer paid amount is not padded",
         [](vireo& c) {
             auto amt = c.L2320_AMT_00_COBPayerPaidAmount();
             amt->m01_AmountQulCode = L2320_AMT_01_522_1606_AmountQulCode::val_D_PayorAmountPaid_522_1606;
             amt->m02_PayerPaidAmount = "125.5";
             amt->Additem();
         },
         "AMT*D*125.5~"},
        {"with AMT03",
         [](vireo& c) {
             auto amt = c.L2320_AMT_00_COBPayerPaidAmount();
             amt->m01_AmountQulCode = L2320_AMT_01_522_1606_AmountQulCode::val_D_PayorAmountPaid_522_1606;
             amt->m02_PayerPaidAmount = "125.5";
             amt->m03_not_used_in_context = "C";
             amt->Additem();
         },
         "AMT*D*125.5*C~"},
        {"qualifier only",
         [](vireo& c) {
             c.L2320_AMT_00_COBPayerPaidAmount()->m01_AmountQulCode =
                 L2320_AMT_01_522_1606_AmountQulCode::val_D_PayorAmountPaid_522_1606;
             c.L2320_AMT_00_COBPayerPaidAmount()->Additem();
         },
         "AMT*D~"},
        {"qualifier and AMT03",
         [](vireo& c) {
             auto amt = c.L2400_AMT_01_ApprovAmount();
             amt->m01_AmountQulCode = L2400_AMT_01_522_2469_AmountQulCode::val_AAE_ApprovAmount_522_2469;
             amt->m03_not_used_in_context = "C";
             amt->Additem();
         },
         "AMT*AAE**C~"},
        {"cleared DTP and AMT",
         [](vireo& c) {
             c.L2300_DTP_01_DateInitialTreatment()->Additem();
             c.L2300_AMT_02_TotalPrchSvcAmount()->Additem();
         },
         "DTP*~AMT*~"},
    };
    expect_cases(cases);
}

TEST(CertificationSegments, WriteConditionsAndMeasurements) {
    const Case cases[] = {
        {"ambulance transport",
         [](vireo& c) {
             auto cr1 = c.L2300_CR1_00_AmbulanceTransportInfo();
             cr1->m01_UnitorBasisforMeasurementCode =
                 L2300_CR1_01_355_945_UnitorBasisforMeasurementCode::val_LB_Pound_355_945;
             cr1->m02_PatWeight = "150";
             cr1->m03_AmbulanceTransportCode = L2300_CR1_03_1316_948_AmbulanceTransportCode::val_I_InitialTrip_1316_948;
             cr1->m04_AmbulanceTransportReasonCode =
                 L2300_CR1_04_1317_953_AmbulanceTransportReasonCode::val_A_TonearestFac_1317_953;
             cr1->m05_UnitorBasisforMeasurementCode =
                 L2300_CR1_05_355_959_UnitorBasisforMeasurementCode::val_DH_Miles_355_959;
             cr1->m06_TransportDistance = "12";
             cr1->Additem();
         },
         "CR1*LB*150*I*A*DH*12~"},
        {"x-ray availability only",
         [](vireo& c) {
             c.L2300_CR2_00_SpinalManSvcInfo()->m12_XrayAvailabilityIndicator =
                 L2300_CR2_12_1073_1047_XrayAvailabilityIndicator::val_Y_Yes_1073_1047;
             c.L2300_CR2_00_SpinalManSvcInfo()->Additem();
         },
         "CR2************Y~"},
        {"a three-character subluxation code",
         [](vireo& c) {
             c.L2400_CR2_00_SpinalManSvcInfo()->m03_SubluxationLevelCode =
                 L2400_CR2_03_1367_2082_SubluxationLevelCode::val_T10_Thoracic10_1367_2082;
             c.L2400_CR2_00_SpinalManSvcInfo()->Additem();
         },
         "CR2***T10~"},
        {"oxygen therapy with a blood gas quantity",
         [](vireo& c) {
             auto cr5 = c.L2400_CR5_00_HomeOxygenTherapyInfo();
             cr5->m01_CertTypeCode = L2400_CR5_01_1322_2174_CertTypeCode::val_I_Initial_1322_2174;
             cr5->m10_ArterialBloodGasQuantity = "95";
             cr5->Additem();
         },
         "CR5*I*********95~"},
        {"ambulance certification: CRC04 to CRC07 are text",
         [](vireo& c) {
             auto crc = c.L2300_CRC_00_AmbulanceCert();
             crc->m01_CodeCategory = L2300_CRC_01_1136_1051_CodeCategory::val_07_AmbulanceCert_1136_1051;
             crc->m02_CertConditionIndicator = L2300_CRC_02_1073_1053_CertConditionIndicator::val_Y_Yes_1073_1053;
             crc->m03_ConditionCode = L2300_CRC_03_1321_1056_ConditionCode::val_01_admittedtoahospital_1321_1056;
             crc->m04_ConditionCode = "04";
             crc->Additem();
         },
         "CRC*07*Y*01*04~"},
        {"home health visits",
         [](vireo& c) {
             auto hsd = c.L2305_HSD_00_HealthCareSvcsDelivery();
             hsd->m01_Visits = L2305_HSD_01_673_1235_Visits::val_VS_Visits_673_1235;
             hsd->m02_NumofVisits = "3";
             hsd->m05_DurationofVisitsUnits = L2305_HSD_05_615_1244_DurationofVisitsUnits::val_35_Week_615_1244;
             hsd->m08_DeliveryPatternTimeCode = L2305_HSD_08_679_1281_DeliveryPatternTimeCode::val_D_AM_679_1281;
             hsd->Additem();
         },
         "HSD*VS*3***35***D~"},
        {"a test result without its reference code",
         [](vireo& c) {
             auto mea = c.L2400_MEA_00_TestResult();
             mea->m02_MeasurementQul = L2400_MEA_02_738_2364_MeasurementQul::val_R1_Hemoglobin_738_2364;
             mea->m03_TestResults = "12.5";
             mea->Additem();
         },
         "MEA**R1*12.5~"},
        {"home health plan",
         [](vireo& c) {
             auto cr7 = c.L2305_CR7_00_HomeHealthCarePlanInfo();
             cr7->m01_DisciplineTypeCode = L2305_CR7_01_921_1225_DisciplineTypeCode::val_SN_SkilledNursing_921_1225;
             cr7->m03_CertPeriodProjectedVisitCount = "10";
             cr7->Additem();
         },
         "CR7*SN**10~"},
    };
    expect_cases(cases);
}

TEST(ServiceLineSegments, WriteLineNumberPrescriptionAndPurchasedService) {
    const Case cases[] = {
        {"line number",
         [](vireo& c) {
             c.L2400_LX_00_SvcLine()->m01_AssignedNum = "1";
             c.L2400_LX_00_SvcLine()->Additem();
         },
         "LX*1~"},
        {"empty line number", [](vireo& c) { c.L2400_LX_00_SvcLine()->Additem(); }, "LX*~"},
        {"prescription number",
         [](vireo& c) {
             c.L2400_SV5_00_PrescriptionNum()->m01_PrescriptionNum = "RX123";
             c.L2400_SV5_00_PrescriptionNum()->Additem();
         },
         "SV5*RX123~"},
        {"the last prescription element",
         [](vireo& c) {
             c.L2400_SV5_00_PrescriptionNum()->m18_not_used_in_context = "X";
             c.L2400_SV5_00_PrescriptionNum()->Additem();
         },
         "SV5******************X~"},
        {"purchased service",
         [](vireo& c) {
             auto ps1 = c.L2400_PS1_00_PrchSvcInfo();
             ps1->m01_PrchSvcPROVIdent = "PN1";
             ps1->m02_PrchSvcChargeAmount = "100";
             ps1->Additem();
         },
         "PS1*PN1*100~"},
    };
    expect_cases(cases);
}

TEST(AdjustmentSegments, WriteTripletsCoverageAndForms) {
    const Case cases[] = {
        {"one adjustment",
         [](vireo& c) {
             auto cas = c.L2320_CAS_00_CLMLevelAdjs();
             cas->m01_CLMAdjGroupCode = L2320_CAS_01_1033_1581_CLMAdjGroupCode::val_CO_ContractualObligations_1033_1581;
             cas->m02_AdjReasonCode = "45";
             cas->m03_AdjAmount = "10.00";
             cas->Additem();
         },
         "CAS*CO*45*10.00~"},
        {"an empty quantity keeps its position",
         [](vireo& c) {
             auto cas = c.L2430_CAS_00_LineAdj();
             cas->m01_CLMAdjGroupCode = L2430_CAS_01_1033_2930_CLMAdjGroupCode::val_PR_PatResp_1033_2930;
             cas->m02_AdjReasonCode = "1";
             cas->m03_AdjAmount = "20";
             cas->m05_AdjReasonCode = "2";
             cas->m06_AdjAmount = "5";
             cas->Additem();
         },
         "CAS*PR*1*20**2*5~"},
        {"no group code",
         [](vireo& c) {
             c.L2320_CAS_00_CLMLevelAdjs()->m02_AdjReasonCode = "45";
             c.L2320_CAS_00_CLMLevelAdjs()->Additem();
         },
         "CAS**45~"},
        {"the sixth quantity",
         [](vireo& c) {
             c.L2430_CAS_00_LineAdj()->m19_AdjQuantity = "1";
             c.L2430_CAS_00_LineAdj()->Additem();
         },
         "CAS*******************1~"},
        {"other insurance indicators",
         [](vireo& c) {
             auto oi = c.L2320_OI_00_OthInsuranceCoverageInfo();
             oi->m03_BenefitsAssignmentCertIndicator =
                 L2320_OI_03_1073_1672_BenefitsAssignmentCertIndicator::val_Y_Yes_1073_1672;
             oi->m04_PatSigSourceCode = L2320_OI_04_1351_1675_PatSigSourceCode::val_B_SignedSigAuth_1351_1675;
             oi->m06_ReleaseofInfoCode = L2320_OI_06_1363_1682_ReleaseofInfoCode::val_Y_YesPROVhasaSigned_1363_1682;
             oi->Additem();
         },
         "OI***Y*B**Y~"},
        {"one remark code",
         [](vireo& c) {
             c.L2320_MOA_00_McareOutPatAdjudInfo()->m03_RemarkCode = "MA01";
             c.L2320_MOA_00_McareOutPatAdjudInfo()->Additem();
         },
         "MOA***MA01~"},
        {"form identification",
         [](vireo& c) {
             auto lq = c.L2440_LQ_00_FormIDCode();
             lq->m01_CodeListQulCode = L2440_LQ_01_1270_2961_CodeListQulCode::val_UT_CMSHCFADME_1270_2961;
             lq->m02_FormIdent = "01.02";
             lq->Additem();
         },
         "LQ*UT*01.02~"},
        {"question answered with a date",
         [](vireo& c) {
             auto frm = c.L2440_FRM_00_SupDoc();
             frm->m01_QuestionNumLetter = "4";
             frm->m04_QuestionResponseDate = "20040101";
             frm->Additem();
         },
         "FRM*4***20040101~"},
        {"question answered yes, through the list named QuestionResponse",
         [](vireo& c) {
             auto frm = c.L2440_FRM_00_SupDoc();
             frm->m01_QuestionNumLetter = "4";
             frm->m02_QuestionYesNoResponse = L2440_FRM_02_1073_2967_QuestionResponse::val_Y_Yes_1073_2967;
             frm->Additem();
         },
         "FRM*4*Y~"},
    };
    expect_cases(cases);
}
