#!/usr/bin/env python3
"""How fast a Python host writes the benchmark's batch through `import vireo`,
beside vireo-bench's C++ rows, with every output file compared byte for byte
with the reference bytes.

    python3 bench/python/vireo_bench.py [--claims N] [--runs K] [--bench BUILD/bench/vireo-bench]

vireo-bench --export writes the batch's tables and the expected bytes; this
script loads the tables as a host loads rows from its database (before any
clock starts), then runs the host loop of bench/workload.cpp in Python: each
segment object taken from its control property once; for every segment the
fields assigned, Additem, Clear. The module is found on PYTHONPATH (the build's
python/ folder, or an installed vireo).
"""
import argparse
import json
import multiprocessing
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import vireo
from vireo import (
    L0_GS_01_001_001_FunctIdentCode as GS01, L0_GS_07_001_001_RespAgencyCode as GS07,
    L0_ISA_01_001_001_AuthInfoQul as ISA01, L0_ISA_03_001_001_SecurityInfoQul as ISA03,
    L0_ISA_05_001_001_IntIDQul as ISA05, L0_ISA_11_001_001_IntControlStandsIdent as ISA11,
    L0_ISA_14_001_001_AcknowledgmentRequested as ISA14, L0_ISA_15_001_001_UsageIndicator as ISA15,
    L1_BHT_01_1005_7_HIStructCode as BHT01, L1_BHT_02_353_9_TransSetPurposeCode as BHT02,
    L1_BHT_06_640_15_CLMorEncounterIdent as BHT06, L1_ST_01_143_3_TransSetIdentCode as ST01,
    L1_REF_01_128_19_RefIDQul as REF01, L1000A_PER_01_366_44_ContactFunctionCode as PER01,
    L1000A_PER_03_365_47_CommunicationNumQul as PER03,
    L1000A_NM1_01_98_25_EntityIdentCode as SUB01, L1000A_NM1_02_1065_27_EntityTypeQul as SUB02,
    L1000A_NM1_08_66_35_IDCodeQul as SUB08, L1000B_NM1_01_98_69_EntityIdentCode as RCV01,
    L1000B_NM1_02_1065_71_EntityTypeQul as RCV02, L1000B_NM1_08_66_78_IDCodeQul as RCV08,
    L2000A_HL_03_735_89_HILevelCode as BHL03, L2000A_HL_04_736_91_HIChildCode as BHL04,
    L2010AA_NM1_01_98_127_EntityIdentCode as BNM01, L2010AA_NM1_02_1065_129_EntityTypeQul as BNM02,
    L2010AA_NM1_08_66_137_IDCodeQul as BNM08, L2010AA_REF_01_128_158_RefIDQul as BREF01,
    L2000B_HL_03_735_272_HILevelCode as HL03, L2000B_HL_04_736_274_HIChildCode as HL04,
    L2000B_SBR_01_1138_278_PayerRespSequenceNumCode as SBR01,
    L2000B_SBR_02_1069_282_IndividualRelationshipCode as SBR02,
    L2000B_SBR_09_1032_299_CLMFilingIndicatorCode as SBR09,
    L2010BA_NM1_01_98_337_EntityIdentCode as NM101, L2010BA_NM1_02_1065_339_EntityTypeQul as NM102,
    L2010BA_NM1_08_66_347_IDCodeQul as NM108, L2010BA_DMG_01_1250_367_DateTimePeriodFormatQul as DMG01,
    L2010BA_DMG_03_1068_370_SubscriberGenderCode as DMG03, L2010BB_NM1_01_98_396_EntityIdentCode as PR01,
    L2010BB_NM1_02_1065_398_EntityTypeQul as PR02, L2010BB_NM1_08_66_405_IDCodeQul as PR08,
    L2300_CLM_06_1073_599_PROVorSupplierSigIndicator as CLM06, L2300_CLM_07_1359_602_McareAssignmentCode as CLM07,
    L2300_CLM_08_1073_607_BenefitsAssignmentCertIndicator as CLM08, L2300_CLM_09_1363_610_ReleaseofInfoCode as CLM09,
    L2300_CLM_10_1351_617_PatSigSourceCode as CLM10, L2300_HI_01_1270_1102_DiagnosisTypeCode as HI01,
    L2300_HI_02_1270_1111_DiagnosisTypeCode as HI02, L2300_DTP_01_374_697_DateTimeQul as ONSET01,
    L2300_DTP_02_1250_699_DateTimePeriodFormatQul as ONSET02,
    L2400_SV1_01_235_1976_ProductorSvcIDQul as SV101, L2400_SV1_03_355_1991_UnitorBasisforMeasurementCode as SV103,
    L2400_DTP_01_374_2252_DateTimeQul as DTP01, L2400_DTP_02_1250_2254_DateTimePeriodFormatQul as DTP02,
)


class Subscriber:
    __slots__ = ("last_name", "first_name", "middle_name", "member_id", "group_number", "address", "city",
                 "state", "zip", "birth_date", "gender", "filing_code")


class Payer:
    __slots__ = ("name", "id")


class Line:
    __slots__ = ("procedure", "charge", "units", "date")


class Claim:
    __slots__ = ("account", "total_charge", "diagnosis1", "diagnosis2", "onset_date", "lines")


def rows(cls, items, convert=None):
    out = []
    for item in items:
        row = cls()
        for name in cls.__slots__:
            setattr(row, name, item[name])
        if convert:
            convert(row)
        out.append(row)
    return out


class Tables:
    """The batch as a host holds it: rows of plain values, codes already mapped
    to their code list members."""

    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            t = json.load(f)
        self.claims = t["claims"]
        self.segments = t["segments"]
        self.per_transaction = t["claims_per_transaction"]
        self.subscriber_stride = t["subscriber_stride"]
        self.payer_stride = t["payer_stride"]
        self.constants = t["constants"]

        def codes(row):
            row.gender = DMG03(row.gender)
            row.filing_code = SBR09(row.filing_code)

        self.subscribers = rows(Subscriber, t["subscribers"], codes)
        self.payers = rows(Payer, t["payers"])

        def lines(row):
            row.lines = rows(Line, row.lines)

        self.claim_rows = rows(Claim, t["claim_rows"], lines)
        self.numbers = t["numbers"]
        self.control_numbers = t["control_numbers"]


def write(tables, path, additem=True, handler=False, check=False):
    """The host loop of bench/workload.cpp; returns the seconds from opening the
    file to closing it (its sync included). With `check` the guide checker is
    attached and must find nothing."""
    ctl = vireo.Vireo()
    checker = vireo.GuideChecker()
    if check:
        checker.attach(ctl)
    ctl.NewLine = vireo.NewLineValues.LF_ToSegEnd
    k = tables.constants
    sender, receiver, group_date, hhmm = k["sender"], k["receiver"], k["group_date"], k["time"]
    isa = ctl.L0_ISA_00_IntControlHeader
    gs = ctl.L0_GS_00_FunctGroupHeader
    st = ctl.L1_ST_00_TransSetHeader
    bht = ctl.L1_BHT_00_BegHITrans
    transmission = ctl.L1_REF_00_TranTypeID
    submitter = ctl.L1000A_NM1_00_SubName
    contact = ctl.L1000A_PER_00_SubEDIContactInfo
    receiver_name = ctl.L1000B_NM1_00_RecvName
    billing_hl = ctl.L2000A_HL_00_BillPaytoPROVHILevel
    billing_name = ctl.L2010AA_NM1_00_BillPROVName
    billing_address = ctl.L2010AA_N3_00_BillPROVAddress
    billing_city = ctl.L2010AA_N4_00_BillPROVCityStateZip
    billing_ref = ctl.L2010AA_REF_00_BillPROV2ndID
    hl = ctl.L2000B_HL_00_SubscriberHILevel
    sbr = ctl.L2000B_SBR_00_SubscriberInfo
    name = ctl.L2010BA_NM1_00_SubscriberName
    address = ctl.L2010BA_N3_00_SubscriberAddress
    city = ctl.L2010BA_N4_00_SubscriberCityStateZip
    dmg = ctl.L2010BA_DMG_00_SubscriberDmoInfo
    payer = ctl.L2010BB_NM1_00_PayerName
    clm = ctl.L2300_CLM_00_CLMInfo
    hi = ctl.L2300_HI_00_HealthCareDiagnosisCode
    onset = ctl.L2300_DTP_04_DateOnsetofCurSpell
    lx = ctl.L2400_LX_00_SvcLine
    sv1 = ctl.L2400_SV1_00_ProfessionalSvc
    service_date = ctl.L2400_DTP_00_DateSvcDate
    se = ctl.L2440_SE_00_TransSetTrailer
    ge = ctl.L0_GE_00_FunctGroupTrailer
    iea = ctl.L0_IEA_00_IntControlTrailer

    seen = [0]
    if handler:
        @ctl.BeforeAdd.connect
        def watch(e):
            # What a host watching the batch does: notice each claim, total the bytes.
            value = e.SegValue
            if value.startswith("CLM*"):
                seen[0] += 1
            seen[0] += len(value)

    subscribers, payers, claim_rows = tables.subscribers, tables.payers, tables.claim_rows
    n_sub, n_pay, n_claim = len(subscribers), len(payers), len(claim_rows)
    s_stride, p_stride = tables.subscriber_stride, tables.payer_stride
    numbers = tables.numbers
    one, two = numbers[1], numbers[2]
    line_numbers = numbers[1:4]
    # Code values the loop assigns, looked up once as a host keeps its constants.
    hl03, hl04, sbr01, sbr02 = HL03.val_22_Subscriber_735_272, HL04.val_0_NoSubHLSeginThisHIStruct_736_274, \
        SBR01.val_P_Primary_1138_278, SBR02.val_18_Self_1069_282
    nm101, nm102, nm108 = NM101.val_IL_InsuredorSubscriber_98_337, NM102.val_1_Person_1065_339, \
        NM108.val_MI_MemberIDNum_66_347
    dmg01 = DMG01.val_D8_DateIn_CCYYMMDD_1250_367
    pr01, pr02, pr08 = PR01.val_PR_Payer_98_396, PR02.val_2_NonPersonEntity_1065_398, PR08.val_PI_PayorID_66_405
    clm06, clm07, clm08, clm09, clm10 = CLM06.val_Y_Yes_1073_599, CLM07.val_A_Assigned_1359_602, \
        CLM08.val_Y_Yes_1073_607, CLM09.val_Y_YesPROVhasaSigned_1363_610, CLM10.val_C_SignedHCFA1500CLM_1351_617
    hi01, hi02 = HI01.val_BK_PrincipalDiagnosis_1270_1102, HI02.val_BF_Diagnosis_1270_1111
    onset01, onset02 = ONSET01.val_431_OnsetofCurSpell_374_697, ONSET02.val_D8_DateIn_CCYYMMDD_1250_699
    sv101, sv103 = SV101.val_HC_CMS_HCPCS_235_1976, SV103.val_UN_Unit_355_1991
    dtp01, dtp02 = DTP01.val_472_Svc_374_2252, DTP02.val_D8_DateIn_CCYYMMDD_1250_2254

    if additem:
        def add(segment):
            if additem:
                segment.Additem()
            segment.Clear()
    else:
        def add(segment):
            segment.Clear()

    start = time.perf_counter()
    if additem:
        ctl.OpenFile(path)

    isa.set(m01_AuthInfoQul=ISA01.val_00_NoAuthInfoPresentinISA02,
            m03_SecurityInfoQul=ISA03.val_00_NoSecurityInfoPresentinISA04,
            m05_IntIDQul=ISA05.val_ZZ_MutuallyDefined, m06_IntSenderID=sender,
            m07_IntIDQul=ISA05.val_ZZ_MutuallyDefined, m08_IntRecvID=receiver, m09_IntDate=k["interchange_date"],
            m10_IntTime=hhmm, m11_IntStandsIdent=ISA11.val_U_US_EDICommunityofASCX12TDCCandUCS,
            m12_IntControlVersionNum="00401", m13_IntControlNumMustMatchIEA02=k["interchange_number"],
            m14_AcknowledgmentRequested=ISA14.val_0_NotAcknowledgmentRequested,
            m15_ProductionTestUsageIndicator=ISA15.val_P_ProductionData)
    add(isa)
    gs.set(m01_FunctIdentCode=GS01.val_HC_HealthCareCLMs, m02_AppSendersCode=sender, m03_AppRecvsCode=receiver,
           m04_CreationDate=group_date, m05_CreationTime=hhmm, m06_GroupControlNum="1",
           m07_RespAgencyCode=GS07.val_X_AccreditedStandsCommitteeX12,
           m08_VersionReleaseIndIdentCode="004010X098A1")
    add(gs)

    claims = tables.claims
    per_transaction = tables.per_transaction
    transactions = (claims + per_transaction - 1) // per_transaction
    c = 0
    for t in range(transactions):
        control = tables.control_numbers[t]
        ctl.SegCount = "0"
        st.m01_TransSetIdentCode = ST01.val_837_HealthCareCLM_143_3
        st.m02_TransSetControlNum = control
        add(st)
        bht.set(m01_HIStructCode=BHT01.val_0019_InfoSourceSubDep_1005_7, m02_TransSetPurposeCode=BHT02.val_00_Orig_353_9,
                m03_OriginatorAppTransIdent=control, m04_TransSetCreationDate=group_date,
                m05_TransSetCreationTime=hhmm, m06_CLMorEncounterIdent=BHT06.val_CH_Chargeable_640_15)
        add(bht)
        transmission.set(m01_RefIDQul=REF01.val_87_FunctCategory_128_19, m02_TranTypeCode="004010X098A1")
        add(transmission)
        submitter.set(m01_EntityIdentCode=SUB01.val_41_Sub_98_25, m02_EntityTypeQul=SUB02.val_2_NonPersonEntity_1065_27,
                      m03_SubLastorOrgName="PREMIER BILLING SERVICE",
                      m08_IDCodeQul=SUB08.val_46_ETransmitterIDNumETIN_66_35, m09_SubIdent=sender)
        add(submitter)
        contact.set(m01_ContactFunctionCode=PER01.val_IC_InfoContact_366_44, m02_SubContactName="EDI DESK",
                    m03_CommunicationNumQul=PER03.val_TE_Telephone_365_47, m04_CommunicationNum="2175550100")
        add(contact)
        receiver_name.set(m01_EntityIdentCode=RCV01.val_40_Recv_98_69,
                          m02_EntityTypeQul=RCV02.val_2_NonPersonEntity_1065_71, m03_RecvName="CLEARINGHOUSE NATIONAL",
                          m08_IDCodeQul=RCV08.val_46_ETransmitterIDNumETIN_66_78, m09_RecvPrimaryIdent=receiver)
        add(receiver_name)
        billing_hl.set(m01_HIIDNum=one, m03_HILevelCode=BHL03.val_20_InfoSource_735_89,
                       m04_HIChildCode=BHL04.val_1_AddSubHLDataSeginThisHIStr_736_91)
        add(billing_hl)
        billing_name.set(m01_EntityIdentCode=BNM01.val_85_BillPROV_98_127,
                         m02_EntityTypeQul=BNM02.val_2_NonPersonEntity_1065_129,
                         m03_BillPROVLastorOrgalName="RIVERSIDE FAMILY MEDICINE",
                         m08_IDCodeQul=BNM08.val_XX_CMSNationalPROV_66_137, m09_BillPROVIdent="1234567893")
        add(billing_name)
        billing_address.m01_BillPROVAddressLine = "1500 RIVERSIDE PARKWAY"
        add(billing_address)
        billing_city.set(m01_BillPROVCityName="SPRINGFIELD", m02_BillPROVStateorProvinceCode="IL",
                         m03_BillPROVPostalZoneorZip="62704")
        add(billing_city)
        billing_ref.set(m01_RefIDQul=BREF01.val_EI_EmpIDNum_128_158, m02_BillPROVAddIdent="371234567")
        add(billing_ref)

        end = min(claims, c + per_transaction)
        k = 0
        while c < end:
            s = subscribers[(c * s_stride) % n_sub]
            p = payers[(c * p_stride) % n_pay]
            cl = claim_rows[c % n_claim]

            hl.m01_HIIDNum = numbers[k + 2]
            hl.m02_HIParentIDNum = one
            hl.m03_HILevelCode = hl03
            hl.m04_HIChildCode = hl04
            if additem:
                hl.Additem()
            hl.Clear()

            sbr.m01_PayerRespSequenceNumCode = sbr01
            sbr.m02_IndividualRelationshipCode = sbr02
            sbr.m03_InsuredGrouporPolicyNum = s.group_number
            sbr.m09_CLMFilingIndicatorCode = s.filing_code
            if additem:
                sbr.Additem()
            sbr.Clear()

            name.m01_EntityIdentCode = nm101
            name.m02_EntityTypeQul = nm102
            name.m03_SubscriberLastName = s.last_name
            name.m04_SubscriberFirstName = s.first_name
            name.m05_SubscriberMiddleName = s.middle_name
            name.m08_IDCodeQul = nm108
            name.m09_SubscriberPrimaryIdent = s.member_id
            if additem:
                name.Additem()
            name.Clear()

            address.m01_SubscriberAddressLine = s.address
            if additem:
                address.Additem()
            address.Clear()

            city.m01_SubscriberCityName = s.city
            city.m02_SubscriberStateCode = s.state
            city.m03_SubscriberPostalZoneorZip = s.zip
            if additem:
                city.Additem()
            city.Clear()

            dmg.m01_DateTimePeriodFormatQul = dmg01
            dmg.m02_SubscriberBirthDate = s.birth_date
            dmg.m03_SubscriberGenderCode = s.gender
            if additem:
                dmg.Additem()
            dmg.Clear()

            payer.m01_EntityIdentCode = pr01
            payer.m02_EntityTypeQul = pr02
            payer.m03_PayerName = p.name
            payer.m08_IDCodeQul = pr08
            payer.m09_PayerIdent = p.id
            if additem:
                payer.Additem()
            payer.Clear()

            clm.m01_PatAccountNum = cl.account
            clm.m02_TotalCLMChargeAmount = cl.total_charge
            clm.m0501_FacTypeCode = "11"
            clm.m0503_CLMFrequencyCode = "1"
            clm.m06_PROVorSupplierSigIndicator = clm06
            clm.m07_McareAssignmentCode = clm07
            clm.m08_BenefitsAssignmentCertIndicator = clm08
            clm.m09_ReleaseofInfoCode = clm09
            clm.m10_PatSigSourceCode = clm10
            if additem:
                clm.Additem()
            clm.Clear()

            onset.m01_DateTimeQul = onset01
            onset.m02_DateTimePeriodFormatQul = onset02
            onset.m03_OrderDate = cl.onset_date
            if additem:
                onset.Additem()
            onset.Clear()

            hi.m0101_DiagnosisTypeCode = hi01
            hi.m0102_DiagnosisCode = cl.diagnosis1
            hi.m0201_DiagnosisTypeCode = hi02
            hi.m0202_DiagnosisCode = cl.diagnosis2
            if additem:
                hi.Additem()
            hi.Clear()

            for number, line in zip(line_numbers, cl.lines):
                lx.m01_AssignedNum = number
                if additem:
                    lx.Additem()
                lx.Clear()

                sv1.m0101_ProductorSvcIDQul = sv101
                sv1.m0102_ProcedureCode = line.procedure
                sv1.m02_LineChargeAmount = line.charge
                sv1.m03_UnitorBasisforMeasurementCode = sv103
                sv1.m04_SvcUnitCount = line.units
                sv1.m0701_DiagnosisCodePointer = one
                sv1.m0702_DiagnosisCodePointer = two
                if additem:
                    sv1.Additem()
                sv1.Clear()

                service_date.m01_DateTimeQul = dtp01
                service_date.m02_DateTimePeriodFormatQul = dtp02
                service_date.m03_SvcDate = line.date
                if additem:
                    service_date.Additem()
                service_date.Clear()
            c += 1
            k += 1

        se.m02_TransSetControlNum = control
        add(se)

    ge.set(m01_NumofTransSetsIncluded=str(transactions), m02_GroupControlNum="1")
    add(ge)
    iea.set(m01_NumofIncludedFunctGroupsCount="1", m02_IntControlNum=tables.constants["interchange_number"])
    add(iea)
    if additem:
        ctl.CloseFile()
    seconds = time.perf_counter() - start
    if check:
        checker.detach()
        if checker.errors or checker.warnings or checker.segments != tables.segments:
            first = f": {checker.findings[0]}" if checker.findings else ""
            sys.exit(f"vireo_bench.py: the guide checker found {checker.errors} errors and {checker.warnings} "
                     f"warnings in {checker.segments} segments{first}")
    return seconds, seen[0]


def write_in_process(tables, path, barrier):
    """One of the processes of the "2 processes" row: the README's recipe."""
    barrier.wait()
    write(tables, path)


def same_bytes(path, reference):
    with open(path, "rb") as a, open(reference, "rb") as b:
        x, y = a.read(), b.read()
    if x == y:
        return None
    at = next((i for i in range(min(len(x), len(y))) if x[i] != y[i]), min(len(x), len(y)))
    return f"differs at byte {at}: expected {y[max(0, at - 40):at + 40]!r}, written {x[max(0, at - 40):at + 40]!r}"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--claims", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=5, help="timed runs per variant after a warm-up (median)")
    parser.add_argument("--bench", default=os.path.join(here, "..", "..", "build", "bench", "vireo-bench"),
                        help="the vireo-bench that exports the batch and gives the C++ rows")
    parser.add_argument("--dir", help="where files are written (default: a new temporary directory)")
    parser.add_argument("--json", action="store_true", help="print JSON instead of a table")
    args = parser.parse_args()

    work = args.dir or tempfile.mkdtemp(prefix="vireo-pybench.")
    os.makedirs(work, exist_ok=True)
    try:
        subprocess.run([args.bench, "--claims", str(args.claims), "--export", work], check=True)
        reference = os.path.join(work, "reference.x12")
        tables = Tables(os.path.join(work, "tables.json"))
        size = os.path.getsize(reference)

        def run(variant):
            if variant == "python_2_threads":
                paths = [os.path.join(work, f"{variant}.{i}.x12") for i in range(2)]
                barrier = threading.Barrier(3)
                errors = []

                def worker(path):
                    try:
                        barrier.wait()
                        write(tables, path)
                    except BaseException as e:  # reported below
                        errors.append(e)

                threads = [threading.Thread(target=worker, args=(p,)) for p in paths]
                for t in threads:
                    t.start()
                barrier.wait()
                start = time.perf_counter()
                for t in threads:
                    t.join()
                seconds = time.perf_counter() - start
                if errors:
                    raise errors[0]
            elif variant == "python_2_processes":
                # Forked after the tables are loaded, as a host forks its workers.
                paths = [os.path.join(work, f"{variant}.{i}.x12") for i in range(2)]
                fork = multiprocessing.get_context("fork")
                barrier = fork.Barrier(3)
                processes = [fork.Process(target=write_in_process, args=(tables, p, barrier)) for p in paths]
                for process in processes:
                    process.start()
                barrier.wait()
                start = time.perf_counter()
                for process in processes:
                    process.join()
                seconds = time.perf_counter() - start
                if any(process.exitcode for process in processes):
                    sys.exit(f"vireo_bench.py: {variant}: a process failed")
            else:
                paths = [os.path.join(work, f"{variant}.x12")]
                seconds, _ = write(tables, paths[0], additem=variant != "python_host_loop",
                                   handler=variant == "python_handler", check=variant == "python_checker")
                if variant == "python_host_loop":
                    return seconds, 0
            for p in paths:
                problem = same_bytes(p, reference)
                if problem:
                    sys.exit(f"vireo_bench.py: {variant}: OUTPUT {problem}")
                os.remove(p)
            return seconds, len(paths)

        variants = [("python", "Python loop"), ("python_handler", "Python + handler"),
                    ("python_checker", "Python + GuideChecker"),
                    ("python_2_threads", "Python, 2 threads"), ("python_2_processes", "Python, 2 processes"),
                    ("python_host_loop", "Python loop alone")]
        results = {key: [] for key, _ in variants}
        checked = 0
        for round_ in range(args.runs + 1):  # round 0 warms up
            for key, _ in variants:
                seconds, files = run(key)
                checked += files
                if round_:
                    results[key].append(seconds)

        cpp = {}
        for key in ("vireo", "vireo_checker", "host_loop"):
            out = subprocess.run([args.bench, "--claims", str(args.claims), "--only", key, "--dir", work],
                                 check=True, capture_output=True, text=True).stdout
            cpp[key] = float(out.split(",")[1].split()[0])  # "vireo: 80.1 ms, 42.1 ns per segment"

        segments = tables.segments
        report = {"claims": args.claims, "segments_per_file": segments, "bytes_per_file": size,
                  "python": sys.version.split()[0], "files_checked_identical": checked, "variants": {}}
        for key, label in variants:
            median = statistics.median(results[key])
            files = 2 if key in ("python_2_threads", "python_2_processes") else 1
            report["variants"][key] = {
                "label": label, "wall_seconds_median": median, "wall_seconds_all": results[key],
                "segments_per_second": segments * files / median, "ns_per_segment": median * 1e9 / (segments * files),
                "mb_per_second": None if key == "python_host_loop" else size * files / median / 1e6}
        report["cpp_ns_per_segment"] = cpp
        report["peak_rss_mb"] = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
        if args.json:
            print(json.dumps(report, indent=2))
            return
        print(f"vireo Python bench: {args.claims} claims, {segments} segments and {size / 1e6:.1f} MB per file, "
              f"median of {args.runs} runs after a warm-up, Python {report['python']}\n")
        print(f"{'variant':22s} {'wall ms':>9s} {'Mseg/s':>8s} {'ns/seg':>8s} {'MB/s':>7s}")
        for key, label in variants:
            v = report["variants"][key]
            mb = "-" if v["mb_per_second"] is None else f"{v['mb_per_second']:.0f}"
            print(f"{label:22s} {v['wall_seconds_median'] * 1e3:9.1f} {v['segments_per_second'] / 1e6:8.2f} "
                  f"{v['ns_per_segment']:8.1f} {mb:>7s}")
        print(f"{'C++ vireo (one run)':22s} {'':9s} {1e3 / cpp['vireo']:8.2f} {cpp['vireo']:8.1f}")
        print(f"{'C++ + GuideChecker':22s} {'':9s} {1e3 / cpp['vireo_checker']:8.2f} {cpp['vireo_checker']:8.1f}")
        print(f"{'C++ host loop alone':22s} {'':9s} {1e3 / cpp['host_loop']:8.2f} {cpp['host_loop']:8.1f}")
        one = report["variants"]["python"]["segments_per_second"]
        print(f"\nPython loop: {one / 1e6:.2f} million segments per second (target >= 1: "
              f"{'met' if one >= 1e6 else 'MISSED'}); 2 threads write "
              f"{report['variants']['python_2_threads']['segments_per_second'] / one:.2f} x one thread, "
              f"2 processes {report['variants']['python_2_processes']['segments_per_second'] / one:.2f} x.")
        print(f"Peak memory of this process: {report['peak_rss_mb']:.0f} MB (the tables included).")
        print(f"All {checked} output files are byte-identical to the reference bytes.")
    finally:
        if not args.dir:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
