#!/usr/bin/env python3
"""A Python host that writes the claims of examples/professional-claims.json
through `import vireo`: the same segments, in the same order, as
examples/host.cpp, and therefore the same bytes.

    python3 examples/claims.py [OUTPUT]     (default out/professional-claims.837)

A code field takes a member of its code list, such as
vireo.L1_ST_01_143_3_TransSetIdentCode.val_837_HealthCareCLM_143_3, or its code
text ("837"); either way the code is checked against the field's list.
"""
import os
import sys

import vireo


def add(segment, **fields):
    """Clears the segment object, sets the fields given and writes the segment."""
    segment.set(**fields).Additem()


def claim(ctl, account, total, onset=None):
    add(ctl.L2300_CLM_00_CLMInfo, m01_PatAccountNum=account, m02_TotalCLMChargeAmount=total,
        m0501_FacTypeCode="11", m0503_CLMFrequencyCode="1", m06_PROVorSupplierSigIndicator="Y",
        m07_McareAssignmentCode="A", m08_BenefitsAssignmentCertIndicator="Y", m09_ReleaseofInfoCode="Y",
        m10_PatSigSourceCode="C")
    if onset:
        add(ctl.L2300_DTP_04_DateOnsetofCurSpell, m01_DateTimeQul="431", m02_DateTimePeriodFormatQul="D8",
            m03_OrderDate=onset)


def diagnoses(ctl, principal, *others):
    """HI: the principal diagnosis (BK), then up to seven more (BF)."""
    fields = {"m0101_DiagnosisTypeCode": "BK", "m0102_DiagnosisCode": principal}
    for n, code in enumerate(others, start=2):
        fields[f"m{n:02d}01_DiagnosisTypeCode"] = "BF"
        fields[f"m{n:02d}02_DiagnosisCode"] = code
    add(ctl.L2300_HI_00_HealthCareDiagnosisCode, **fields)


def rendering_provider(ctl, last, first, npi, taxonomy):
    add(ctl.L2310B_NM1_00_RenderPROVName, m01_EntityIdentCode="82", m02_EntityTypeQul="1",
        m03_RenderPROVLastorOrgName=last, m04_RenderPROVFirstName=first, m08_IDCodeQul="XX", m09_RenderPROVIdent=npi)
    add(ctl.L2310B_PRV_00_RenderPROVSpecInfo, m01_PROVCode="PE", m02_RefIDQul="ZZ", m03_PROVTaxonomyCode=taxonomy)


def service_lines(ctl, account, date, lines, paid_by=None, paid_on=None):
    """Loop 2400, lines numbered from 1: (procedure, charge, diagnosis pointers),
    with the other payer's adjudication (loop 2430) when `paid_by` is given:
    then each line also has (paid, [(group, reason, amount), ...])."""
    for number, line in enumerate(lines, start=1):
        procedure, charge, pointers = line[:3]
        add(ctl.L2400_LX_00_SvcLine, m01_AssignedNum=str(number))
        sv1 = {"m0101_ProductorSvcIDQul": "HC", "m0102_ProcedureCode": procedure, "m02_LineChargeAmount": charge,
               "m03_UnitorBasisforMeasurementCode": "UN", "m04_SvcUnitCount": "1"}
        for n, pointer in enumerate(pointers, start=1):
            sv1[f"m070{n}_DiagnosisCodePointer"] = pointer
        add(ctl.L2400_SV1_00_ProfessionalSvc, **sv1)
        add(ctl.L2400_DTP_00_DateSvcDate, m01_DateTimeQul="472", m02_DateTimePeriodFormatQul="D8", m03_SvcDate=date)
        add(ctl.L2400_REF_03_LineControlNum, m01_RefIDQul="6R", m02_RepricedLineRefNum=f"{account}-{number}")
        if paid_by:
            paid, adjustments = line[3:]
            add(ctl.L2430_SVD_00_LineAdjudInfo, m01_OthPayerPrimaryIdent=paid_by, m02_SvcLinePaidAmount=paid,
                m0301_ProductorSvcIDQul="HC", m0302_ProcedureCode=procedure, m05_PaidSvcUnitCount="1")
            for group, reason, amount in adjustments:
                add(ctl.L2430_CAS_00_LineAdj, m01_CLMAdjGroupCode=group, m02_AdjReasonCode=reason, m03_AdjAmount=amount)
            add(ctl.L2430_DTP_00_LineAdjudDate, m01_DateTimeQul="573", m02_DateTimePeriodFormatQul="D8",
                m03_AdjudorPaymentDate=paid_on)


def payer(ctl):
    add(ctl.L2010BB_NM1_00_PayerName, m01_EntityIdentCode="PR", m02_EntityTypeQul="2",
        m03_PayerName="PRAIRIE HEALTH PLAN", m08_IDCodeQul="PI", m09_PayerIdent="PHP01")


def write_claims(ctl):
    # Interchange and functional group envelope
    ctl.NewLine = vireo.NewLineValues.LF_ToSegEnd
    add(ctl.L0_ISA_00_IntControlHeader, m01_AuthInfoQul="00", m02_AuthInfo="", m03_SecurityInfoQul="00",
        m04_SecurityInfo="", m05_IntIDQul="ZZ", m06_IntSenderID="VIREOSUBMIT", m07_IntIDQul="ZZ",
        m08_IntRecvID="CLEARHOUSE01", m09_IntDate="240201", m10_IntTime="0930", m11_IntStandsIdent="U",
        m12_IntControlVersionNum="00401", m13_IntControlNumMustMatchIEA02="000000101",
        m14_AcknowledgmentRequested="0", m15_ProductionTestUsageIndicator="T")
    add(ctl.L0_GS_00_FunctGroupHeader, m01_FunctIdentCode="HC", m02_AppSendersCode="VIREOSUBMIT",
        m03_AppRecvsCode="CLEARHOUSE01", m04_CreationDate="20240201", m05_CreationTime="0930",
        m06_GroupControlNum="101", m07_RespAgencyCode="X", m08_VersionReleaseIndIdentCode="004010X098A1")

    # Transaction set: SegCount 0 before ST, so that SE counts ST to SE itself
    ctl.SegCount = "0"
    st = ctl.L1_ST_00_TransSetHeader
    st.Clear()
    st.m01_TransSetIdentCode = vireo.L1_ST_01_143_3_TransSetIdentCode.val_837_HealthCareCLM_143_3
    st.m02_TransSetControlNum = "0001"
    st.Additem()
    add(ctl.L1_BHT_00_BegHITrans, m01_HIStructCode="0019", m02_TransSetPurposeCode="00",
        m03_OriginatorAppTransIdent="BATCH20240201", m04_TransSetCreationDate="20240201",
        m05_TransSetCreationTime="0930", m06_CLMorEncounterIdent="CH")
    add(ctl.L1_REF_00_TranTypeID, m01_RefIDQul="87", m02_TranTypeCode="004010X098A1")

    # 1000A submitter, 1000B receiver
    add(ctl.L1000A_NM1_00_SubName, m01_EntityIdentCode="41", m02_EntityTypeQul="2",
        m03_SubLastorOrgName="VIREO BILLING SERVICES", m08_IDCodeQul="46", m09_SubIdent="VBS12345")
    add(ctl.L1000A_PER_00_SubEDIContactInfo, m01_ContactFunctionCode="IC", m02_SubContactName="EDI DESK",
        m03_CommunicationNumQul="TE", m04_CommunicationNum="2175550100", m05_CommunicationNumQul="EM",
        m06_CommunicationNum="EDI@VIREOBILLING.EXAMPLE")
    add(ctl.L1000B_NM1_00_RecvName, m01_EntityIdentCode="40", m02_EntityTypeQul="2",
        m03_RecvName="CLEARINGHOUSE ONE", m08_IDCodeQul="46", m09_RecvPrimaryIdent="CH01")

    # 2000A billing provider (HL 1)
    add(ctl.L2000A_HL_00_BillPaytoPROVHILevel, m01_HIIDNum="1", m03_HILevelCode="20", m04_HIChildCode="1")
    add(ctl.L2000A_PRV_00_BillPaytoPROVSpecInfo, m01_PROVCode="BI", m02_RefIDQul="ZZ",
        m03_PROVTaxonomyCode="207Q00000X")
    add(ctl.L2010AA_NM1_00_BillPROVName, m01_EntityIdentCode="85", m02_EntityTypeQul="2",
        m03_BillPROVLastorOrgalName="RIVERSIDE FAMILY MEDICINE", m08_IDCodeQul="XX", m09_BillPROVIdent="1345678902")
    add(ctl.L2010AA_N3_00_BillPROVAddress, m01_BillPROVAddressLine="100 MAIN STREET",
        m02_BillPROVAddressLine="SUITE 200")
    add(ctl.L2010AA_N4_00_BillPROVCityStateZip, m01_BillPROVCityName="SPRINGFIELD",
        m02_BillPROVStateorProvinceCode="IL", m03_BillPROVPostalZoneorZip="627011234")
    add(ctl.L2010AA_REF_00_BillPROV2ndID, m01_RefIDQul="EI", m02_BillPROVAddIdent="371234567")

    # 2010AB pay-to provider
    add(ctl.L2010AB_NM1_00_PaytoPROVName, m01_EntityIdentCode="87", m02_EntityTypeQul="2",
        m03_PaytoPROVLastorOrgalName="RIVERSIDE MEDICAL GROUP", m08_IDCodeQul="XX", m09_PaytoPROVIdent="1456789019")
    add(ctl.L2010AB_N3_00_PaytoPROVAddress, m01_PaytoPROVAddressLine="PO BOX 4500")
    add(ctl.L2010AB_N4_00_PaytoPROVCityStateZip, m01_PaytoPROVCityName="SPRINGFIELD", m02_PaytoPROVStateCode="IL",
        m03_PaytoPROVPostalZoneorZip="627054500")
    add(ctl.L2010AB_REF_00_PaytoPROV2ndID, m01_RefIDQul="EI", m02_PaytoPROVIdent="371234567")

    # 2000B subscriber who is the patient (HL 2)
    add(ctl.L2000B_HL_00_SubscriberHILevel, m01_HIIDNum="2", m02_HIParentIDNum="1", m03_HILevelCode="22",
        m04_HIChildCode="0")
    add(ctl.L2000B_SBR_00_SubscriberInfo, m01_PayerRespSequenceNumCode="P", m02_IndividualRelationshipCode="18",
        m03_InsuredGrouporPolicyNum="GRP45678", m09_CLMFilingIndicatorCode="CI")
    add(ctl.L2010BA_NM1_00_SubscriberName, m01_EntityIdentCode="IL", m02_EntityTypeQul="1",
        m03_SubscriberLastName="DOE", m04_SubscriberFirstName="JOHN", m05_SubscriberMiddleName="A",
        m08_IDCodeQul="MI", m09_SubscriberPrimaryIdent="XYZ123456789")
    add(ctl.L2010BA_N3_00_SubscriberAddress, m01_SubscriberAddressLine="45 OAK AVENUE")
    add(ctl.L2010BA_N4_00_SubscriberCityStateZip, m01_SubscriberCityName="SPRINGFIELD", m02_SubscriberStateCode="IL",
        m03_SubscriberPostalZoneorZip="62704")
    add(ctl.L2010BA_DMG_00_SubscriberDmoInfo, m01_DateTimePeriodFormatQul="D8", m02_SubscriberBirthDate="19650312",
        m03_SubscriberGenderCode="M")
    payer(ctl)

    # 2300 claim JD240108A: 3 lines, 165
    claim(ctl, "JD240108A", "165", onset="20240102")
    add(ctl.L2300_REF_11_MedicalRecordNum, m01_RefIDQul="EA", m02_SvcAuthExceptionCode="MRN0045117")
    diagnoses(ctl, "4019", "2724", "25000")
    rendering_provider(ctl, "SMITH", "JANE", "1567890128", "207Q00000X")
    service_lines(ctl, "JD240108A", "20240108",
                  [("99213", "110", ("1", "2", "3")), ("36415", "20", ("2",)), ("85025", "35", ("3",))])

    # 2300 claim JD240122B: 3 lines, 263
    claim(ctl, "JD240122B", "263", onset="20240115")
    add(ctl.L2300_REF_03_PriorAuthorReferralNum, m01_RefIDQul="G1", m02_SvcAuthExceptionCode="PA778899")
    add(ctl.L2300_REF_11_MedicalRecordNum, m01_RefIDQul="EA", m02_SvcAuthExceptionCode="MRN0045117")
    diagnoses(ctl, "78650", "4019", "2724")
    service_lines(ctl, "JD240122B", "20240122",
                  [("99214", "160", ("1", "2")), ("93000", "55", ("1",)), ("80053", "48", ("2", "3"))])

    # 2000B subscriber with a dependent patient (HL 3)
    add(ctl.L2000B_HL_00_SubscriberHILevel, m01_HIIDNum="3", m02_HIParentIDNum="1", m03_HILevelCode="22",
        m04_HIChildCode="1")
    add(ctl.L2000B_SBR_00_SubscriberInfo, m01_PayerRespSequenceNumCode="S", m03_InsuredGrouporPolicyNum="GRP20931",
        m09_CLMFilingIndicatorCode="CI")
    add(ctl.L2010BA_NM1_00_SubscriberName, m01_EntityIdentCode="IL", m02_EntityTypeQul="1",
        m03_SubscriberLastName="MILLER", m04_SubscriberFirstName="ROBERT", m08_IDCodeQul="MI",
        m09_SubscriberPrimaryIdent="PHP778812301")
    payer(ctl)

    # 2000C patient (HL 4), child of the subscriber
    add(ctl.L2000C_HL_00_PatHILevel, m01_HIIDNum="4", m02_HIParentIDNum="3", m03_HILevelCode="23",
        m04_HIChildCode="0")
    add(ctl.L2000C_PAT_00_PatInfo, m01_IndividualRelationshipCode="19")
    add(ctl.L2010CA_NM1_00_PatName, m01_EntityIdentCode="QC", m02_EntityTypeQul="1", m03_PatLastName="MILLER",
        m04_PatFirstName="EMMA")
    add(ctl.L2010CA_N3_00_PatAddress, m01_PatAddressLine="912 ELM STREET")
    add(ctl.L2010CA_N4_00_PatCityStateZip, m01_PatCityName="CHATHAM", m02_PatStateCode="IL",
        m03_PatPostalZoneorZip="62629")
    add(ctl.L2010CA_DMG_00_PatDmoInfo, m01_DateTimePeriodFormatQul="D8", m02_PatBirthDate="20190415",
        m03_PatGenderCode="F")

    # 2300 claim EM240112C: 3 lines, 225
    claim(ctl, "EM240112C", "225")
    add(ctl.L2300_REF_11_MedicalRecordNum, m01_RefIDQul="EA", m02_SvcAuthExceptionCode="MRN0078802")
    diagnoses(ctl, "V202", "V061")
    rendering_provider(ctl, "LEE", "DAVID", "1678901236", "208000000X")

    # 2320 other payer (primary) already paid 150; patient owes 29
    add(ctl.L2320_SBR_00_OthSubscriberInfo, m01_PayerRespSequenceNumCode="P", m02_IndividualRelationshipCode="19",
        m03_InsuredGrouporPolicyNum="GRP99887", m05_InsuranceTypeCode="C1", m09_CLMFilingIndicatorCode="CI")
    add(ctl.L2320_AMT_00_COBPayerPaidAmount, m01_AmountQulCode="D", m02_PayerPaidAmount="150")
    add(ctl.L2320_AMT_03_COBPatRespAmount, m01_AmountQulCode="F2", m02_PayerPaidAmount="29")
    add(ctl.L2320_DMG_00_SubscriberDmoInfo, m01_DateTimePeriodFormatQul="D8", m02_OthInsuredBirthDate="19800722",
        m03_OthInsuredGenderCode="F")
    add(ctl.L2320_OI_00_OthInsuranceCoverageInfo, m03_BenefitsAssignmentCertIndicator="Y", m04_PatSigSourceCode="C",
        m06_ReleaseofInfoCode="Y")
    add(ctl.L2330A_NM1_00_OthSubscriberName, m01_EntityIdentCode="IL", m02_EntityTypeQul="1",
        m03_OthInsuredLastName="MILLER", m04_OthInsuredFirstName="LINDA", m08_IDCodeQul="MI",
        m09_OthInsuredIdent="MMI556677")
    add(ctl.L2330B_NM1_00_OthPayerName, m01_EntityIdentCode="PR", m02_EntityTypeQul="2",
        m03_OthPayerLastorOrgName="MERIDIAN MUTUAL", m08_IDCodeQul="PI", m09_OthPayerPrimaryIdent="MM002")
    service_lines(ctl, "EM240112C", "20240112",
                  [("99393", "150", ("1",), "100", [("CO", "45", "30"), ("PR", "2", "20")]),
                   ("90460", "45", ("2",), "30", [("CO", "45", "10"), ("PR", "2", "5")]),
                   ("90700", "30", ("2",), "20", [("CO", "45", "6"), ("PR", "2", "4")])],
                  paid_by="MM002", paid_on="20240125")

    # Trailers: SE counts itself (m01 left empty), then GE and IEA
    add(ctl.L2440_SE_00_TransSetTrailer, m02_TransSetControlNum="0001")
    add(ctl.L0_GE_00_FunctGroupTrailer, m01_NumofTransSetsIncluded="1", m02_GroupControlNum="101")
    add(ctl.L0_IEA_00_IntControlTrailer, m01_NumofIncludedFunctGroupsCount="1", m02_IntControlNum="000000101")


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join("out", "professional-claims.837")
    if os.path.dirname(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
    ctl = vireo.Vireo()  # a control placed new: "*", ":" and "~"; every error reaches Python
    try:
        with ctl.open(path):  # the file appears only once it is complete
            write_claims(ctl)
    except vireo.VbError as e:
        sys.exit(f"claims.py: {e}")
    print(f"wrote {path}")


if __name__ == "__main__":
    main()
