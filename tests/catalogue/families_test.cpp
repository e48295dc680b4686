// What the generic per-field tests of every class do not show: members whose
// names break the naming rule, text written unchanged (separators included,
// no padding, no date check), the presence of a single space, "0" and codes
// outside their list, trailing separators stripped, inner empty positions kept.
#include "catalogue_cases.h"

using namespace prjVireo;
using catalogue_cases::Case;
using catalogue_cases::expect_cases;

TEST(FamilySegments, WriteTheirExactBytes) {
    const Case cases[] = {
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
        {"REF04 is one plain element, component separators included",
         [](vireo& c) {
             auto ref = c.L2010AA_REF_00_BillPROV2ndID();
             ref->m01_RefIDQul = L2010AA_REF_01_128_158_RefIDQul::val_0B_StateLicenseNum_128_158;
             ref->m02_BillPROVAddIdent = "X";
             ref->m04_not_used_in_context = "1A:Z";
             ref->Additem();
         },
         "REF*0B*X**1A:Z~"},
        {"a separator ending the last element is stripped",
         [](vireo& c) {
             auto ref = c.L2010AA_REF_00_BillPROV2ndID();
             ref->m01_RefIDQul = L2010AA_REF_01_128_158_RefIDQul::val_0B_StateLicenseNum_128_158;
             ref->m02_BillPROVAddIdent = "A*";
             ref->Additem();
         },
         "REF*0B*A~"},
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
        {"the last of twenty-one currency elements",
         [](vireo& c) {
             c.L2000A_CUR_00_ForeignCurrencyInfo()->m21_not_used_in_context = "X";
             c.L2000A_CUR_00_ForeignCurrencyInfo()->Additem();
         },
         "CUR*********************X~"},
        {"the patient's relationship member that breaks the naming rule",
         [](vireo& c) {
             auto pat = c.L2000C_PAT_00_PatInfo();
             pat->m01_IndividualRelationshipCode =
                 L2000C_PAT_01_1069_495_IndividualRelationshipCode::val_43_ChildInsuredHasNoFinResp_495;
             pat->m09_PregnancyIndicator = L2000C_PAT_09_1073_530_PregnancyIndicator::val_Y_Yes_1073_530;
             pat->Additem();
         },
         "PAT*43********Y~"},
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
        {"payer paid amount is not padded",
         [](vireo& c) {
             auto amt = c.L2320_AMT_00_COBPayerPaidAmount();
             amt->m01_AmountQulCode = L2320_AMT_01_522_1606_AmountQulCode::val_D_PayorAmountPaid_522_1606;
             amt->m02_PayerPaidAmount = "125.5";
             amt->Additem();
         },
         "AMT*D*125.5~"},
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
        {"cleared DTP and AMT",
         [](vireo& c) {
             c.L2300_DTP_01_DateInitialTreatment()->Additem();
             c.L2300_AMT_02_TotalPrchSvcAmount()->Additem();
         },
         "DTP*~AMT*~"},
        {"empty line number", [](vireo& c) { c.L2400_LX_00_SvcLine()->Additem(); }, "LX*~"},
    };
    expect_cases(cases);
}
