#!/usr/bin/env python3
"""A Python host that writes the claims of examples/professional-claims-5010.json
through the 5010 control, vireo.professional_5010.Vireo: the same segments, in
the same order, as `vireo run examples/professional-claims-5010.json`, and
therefore the same bytes.

    python3 examples/claims_5010.py [OUTPUT]     (default out/professional-claims-5010.837)

The 5010 submodule has its own control, segment classes and code lists; a
code field takes a member of its list, such as
professional_5010.L1_ST_01_143_3_TransSetIdentCode.val_837_HealthCareCLM_143_3,
or its code text ("837"). Segment objects of one catalogue's control are
refused by the other's.
"""
import os
import sys

import vireo
from vireo import professional_5010


def add(segment, **fields):
    """Clears the segment object, sets the fields given and writes the segment."""
    segment.set(**fields).Additem()


def subscriber(ctl, hl, child, sbr, name, street, city, zip_code, birth_date):
    """Loop 2000B and its subscriber (2010BA) and payer (2010BB); `child` is "1"
    when a patient loop (2000C) follows."""
    add(ctl.L2000B_HL_00_SubscriberHILevel, m01_HIIDNum=hl, m02_HIParentIDNum="1", m03_HILevelCode="22",
        m04_HIChildCode=child)
    add(ctl.L2000B_SBR_00_SubscriberInfo, m01_PayerRespSequenceNumCode="P", m09_CLMFilingIndicatorCode="CI", **sbr)
    add(ctl.L2010BA_NM1_00_SubscriberName, m01_EntityIdentCode="IL", m02_EntityTypeQul="1", m08_IDCodeQul="MI",
        **name)
    add(ctl.L2010BA_N3_00_SubscriberAddress, m01_SubscriberAddressLine=street)
    add(ctl.L2010BA_N4_00_SubscriberCityStateZip, m01_SubscriberCityName=city, m02_SubscriberStateCode="IL",
        m03_SubscriberPostalZoneorZip=zip_code)
    add(ctl.L2010BA_DMG_00_SubscriberDmoInfo, m01_DateTimePeriodFormatQul="D8", m02_SubscriberBirthDate=birth_date,
        m03_SubscriberGenderCode="M")
    add(ctl.L2010BB_NM1_00_PayerName, m01_EntityIdentCode="PR", m02_EntityTypeQul="2",
        m03_PayerName="GREAT PLAINS HEALTH PLAN", m08_IDCodeQul="PI", m09_PayerIdent="GPHP0001")


def claim(ctl, account, total, diagnoses, date, lines):
    """Loop 2300 with its ICD-10-CM diagnoses (ABK principal, then ABF) and
    loop 2400, lines numbered from 1: (procedure, charge, diagnosis pointers)."""
    add(ctl.L2300_CLM_00_CLMInfo, m01_PatAccountNum=account, m02_TotalCLMChargeAmount=total,
        m0501_FacTypeCode="11", m0502_FacCodeQul="B", m0503_CLMFrequencyCode="1",
        m06_PROVorSupplierSigIndicator="Y", m07_McareAssignmentCode="A", m08_BenefitsAssignmentCertIndicator="Y",
        m09_ReleaseofInfoCode="Y")
    hi = {}
    for n, code in enumerate(diagnoses, start=1):
        hi[f"m{n:02d}01_DiagnosisTypeCode"] = "ABK" if n == 1 else "ABF"
        hi[f"m{n:02d}02_DiagnosisCode"] = code
    add(ctl.L2300_HI_00_HealthCareDiagnosisCode, **hi)
    for number, (procedure, charge, pointers) in enumerate(lines, start=1):
        add(ctl.L2400_LX_00_SvcLine, m01_AssignedNum=str(number))
        sv1 = {"m0101_ProductorSvcIDQul": "HC", "m0102_ProcedureCode": procedure, "m02_LineChargeAmount": charge,
               "m03_UnitorBasisforMeasurementCode": "UN", "m04_SvcUnitCount": "1"}
        for n, pointer in enumerate(pointers, start=1):
            sv1[f"m070{n}_DiagnosisCodePointer"] = pointer
        add(ctl.L2400_SV1_00_ProfessionalSvc, **sv1)
        add(ctl.L2400_DTP_00_DateSvcDate, m01_DateTimeQul="472", m02_DateTimePeriodFormatQul="D8", m03_SvcDate=date)


def write_claims(ctl):
    # Interchange and functional group envelope: ISA11 is the repetition separator in 5010
    ctl.NewLine = vireo.NewLineValues.LF_ToSegEnd
    add(ctl.L0_ISA_00_IntControlHeader, m01_AuthInfoQul="00", m02_AuthInfo="", m03_SecurityInfoQul="00",
        m04_SecurityInfo="", m05_IntIDQul="ZZ", m06_IntSenderID="VIREOSUBMIT", m07_IntIDQul="ZZ",
        m08_IntRecvID="CLEARINGHOUSE", m09_IntDate="201007", m10_IntTime="1200", m11_RepetitionSeparator="^",
        m12_IntControlVersionNum="00501", m13_IntControlNumMustMatchIEA02="000000101",
        m14_AcknowledgmentRequested="0", m15_ProductionTestUsageIndicator="T", m16_ComponentElementSeparator=":")
    add(ctl.L0_GS_00_FunctGroupHeader, m01_FunctIdentCode="HC", m02_AppSendersCode="VIREOSUBMIT",
        m03_AppRecvsCode="CLEARINGHOUSE", m04_CreationDate="20201007", m05_CreationTime="1200",
        m06_GroupControlNum="101", m07_RespAgencyCode="X", m08_VersionReleaseIndIdentCode="005010X222A1")

    # Transaction set: SegCount 0 before ST, so that SE counts ST to SE itself
    ctl.SegCount = "0"
    add(ctl.L1_ST_00_TransSetHeader,
        m01_TransSetIdentCode=professional_5010.L1_ST_01_143_3_TransSetIdentCode.val_837_HealthCareCLM_143_3,
        m02_TransSetControlNum="0001", m03_ImplConventionRef="005010X222A1")
    add(ctl.L1_BHT_00_BegHITrans, m01_HIStructCode="0019", m02_TransSetPurposeCode="00",
        m03_OriginatorAppTransIdent="BATCH0001", m04_TransSetCreationDate="20201007", m05_TransSetCreationTime="1200",
        m06_CLMorEncounterIdent="CH")

    # 1000A submitter, 1000B receiver
    add(ctl.L1000A_NM1_00_SubName, m01_EntityIdentCode="41", m02_EntityTypeQul="2",
        m03_SubLastorOrgName="ACME BILLING SERVICE", m08_IDCodeQul="46", m09_SubIdent="SUB12345")
    add(ctl.L1000A_PER_00_SubEDIContactInfo, m01_ContactFunctionCode="IC", m02_SubContactName="JANE BILLER",
        m03_CommunicationNumQul="TE", m04_CommunicationNum="2175550100", m05_CommunicationNumQul="EM",
        m06_CommunicationNum="BILLING@EXAMPLE.COM")
    add(ctl.L1000B_NM1_00_RecvName, m01_EntityIdentCode="40", m02_EntityTypeQul="2",
        m03_RecvName="GREAT PLAINS HEALTH PLAN", m08_IDCodeQul="46", m09_RecvPrimaryIdent="GPHP0001")

    # 2000A billing provider (HL 1): NPI, street address, 9-digit ZIP, tax id
    add(ctl.L2000A_HL_00_BillPROVHILevel, m01_HIIDNum="1", m03_HILevelCode="20", m04_HIChildCode="1")
    add(ctl.L2010AA_NM1_00_BillPROVName, m01_EntityIdentCode="85", m02_EntityTypeQul="2",
        m03_BillPROVLastorOrgalName="SPRINGFIELD FAMILY CLINIC", m08_IDCodeQul="XX", m09_BillPROVIdent="1234567893")
    add(ctl.L2010AA_N3_00_BillPROVAddress, m01_BillPROVAddressLine="100 MAIN STREET")
    add(ctl.L2010AA_N4_00_BillPROVCityStateZip, m01_BillPROVCityName="SPRINGFIELD",
        m02_BillPROVStateorProvinceCode="IL", m03_BillPROVPostalZoneorZip="627041234")
    add(ctl.L2010AA_REF_00_BillPROVTaxID, m01_RefIDQul="EI", m02_BillPROVAddIdent="371234567")

    # 2000B subscriber who is the patient (HL 2, SBR02 18), and the claim PT0001: 2 lines, 155
    subscriber(ctl, "2", "0", {"m02_IndividualRelationshipCode": "18", "m03_InsuredGrouporPolicyNum": "GRP1001"},
               {"m03_SubscriberLastName": "DOE", "m04_SubscriberFirstName": "JOHN", "m05_SubscriberMiddleName": "Q",
                "m09_SubscriberPrimaryIdent": "W123456789"},
               "12 ELM STREET", "SPRINGFIELD", "627015678", "19700415")
    claim(ctl, "PT0001", "155", ["J449", "E119"], "20201001",
          [("99213", "100", ("1", "2")), ("94010", "55", ("1",))])

    # 2000B subscriber (HL 3) whose dependent is the patient
    subscriber(ctl, "3", "1", {"m03_InsuredGrouporPolicyNum": "GRP2002"},
               {"m03_SubscriberLastName": "SMITH", "m04_SubscriberFirstName": "ROBERT",
                "m09_SubscriberPrimaryIdent": "X987654321"},
               "45 OAK AVENUE", "CHATHAM", "626295555", "19750220")

    # 2000C patient (HL 4): the subscriber's child, and the claim PT0002: 3 lines, 240
    add(ctl.L2000C_HL_00_PatHILevel, m01_HIIDNum="4", m02_HIParentIDNum="3", m03_HILevelCode="23",
        m04_HIChildCode="0")
    add(ctl.L2000C_PAT_00_PatInfo, m01_IndividualRelationshipCode="19")
    add(ctl.L2010CA_NM1_00_PatName, m01_EntityIdentCode="QC", m02_EntityTypeQul="1", m03_PatLastName="SMITH",
        m04_PatFirstName="EMMA")
    add(ctl.L2010CA_N3_00_PatAddress, m01_PatAddressLine="45 OAK AVENUE")
    add(ctl.L2010CA_N4_00_PatCityStateZip, m01_PatCityName="CHATHAM", m02_PatStateCode="IL",
        m03_PatPostalZoneorZip="626295555")
    add(ctl.L2010CA_DMG_00_PatDmoInfo, m01_DateTimePeriodFormatQul="D8", m02_PatBirthDate="20120910",
        m03_PatGenderCode="F")
    claim(ctl, "PT0002", "240", ["J069", "R509", "H6690"], "20201002",
          [("99214", "150", ("1", "2")), ("87880", "40", ("1",)), ("92567", "50", ("3",))])

    # Trailers: SE counts itself (m01 left empty), then GE and IEA
    add(ctl.L2440_SE_00_TransSetTrailer, m02_TransSetControlNum="0001")
    add(ctl.L0_GE_00_FunctGroupTrailer, m01_NumofTransSetsIncluded="1", m02_GroupControlNum="101")
    add(ctl.L0_IEA_00_IntControlTrailer, m01_NumofIncludedFunctGroupsCount="1", m02_IntControlNum="000000101")


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join("out", "professional-claims-5010.837")
    if os.path.dirname(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
    ctl = professional_5010.Vireo()  # placed new: "*", ":" and "~"; every error reaches Python
    try:
        with ctl.open(path):  # the file appears only once it is complete
            write_claims(ctl)
    except vireo.VbError as e:
        sys.exit(f"claims_5010.py: {e}")
    print(f"wrote {path}")


if __name__ == "__main__":
    main()
