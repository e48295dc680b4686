"""Segment objects from Python: the bytes they write, their fields and code
lists, and the errors a host meets."""
import enum
import json
from decimal import Decimal
import os
import subprocess
import sys

import pytest

import vireo
from conftest import built_file
from vireo import L1_ST_01_143_3_TransSetIdentCode as ST01

ST837 = ST01.val_837_HealthCareCLM_143_3


@pytest.mark.parametrize("fields, expected", [
    ({"m01_TransSetIdentCode": ST837, "m02_TransSetControlNum": "0001"}, b"ST*837*0001~"),
    ({"m01_TransSetIdentCode": 3683127, "m02_TransSetControlNum": "0001"}, b"ST*837*0001~"),
    ({"m01_TransSetIdentCode": "837", "m02_TransSetControlNum": "0001"}, b"ST*837*0001~"),
    ({"m01_TransSetIdentCode": None, "m02_TransSetControlNum": None}, b"ST*~"),
])
def test_st_bytes(ctl, write, fields, expected):
    st = ctl.L1_ST_00_TransSetHeader
    assert write(lambda: st.set(**fields).Additem()) == expected


def test_strict_values_refuse_a_delimiter_inside_a_value(ctl, write):
    st = ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode=ST837, m02_TransSetControlNum="0001*")
    assert ctl.StrictValues is False  # the default, as in C++: written unchanged, here trimmed as the last element
    assert write(lambda: st.Additem()) == b"ST*837*0001~"

    def refused():
        with pytest.raises(vireo.VbError) as raised:
            st.Additem()
        assert raised.value.number == 5
        assert 'L1_ST_00.m02_TransSetControlNum) holds "*", the data element separator' in str(raised.value)

    ctl.StrictValues = True
    assert write(refused) == b""
    assert vireo.Vireo(strict_values=True).StrictValues is True


def test_auto_bookkeeping_fills_what_the_host_left_empty(ctl, write):
    assert ctl.AutoBookkeeping is False
    ctl.AutoBookkeeping = True
    st = ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode=ST837, m02_TransSetControlNum="0001")
    subscriber = ctl.L2000B_HL_00_SubscriberHILevel.set(m03_HILevelCode="22")
    line = ctl.L2400_LX_00_SvcLine

    def steps():
        st.Additem()
        ctl.L2000A_HL_00_BillPaytoPROVHILevel.set(m03_HILevelCode="20").Additem()
        for additem in (subscriber.Additem, line.Additem, line.Additem, subscriber.Additem):
            additem()
        ctl.L2440_SE_00_TransSetTrailer.Additem()
    assert write(steps) == b"ST*837*0001~HL*1**20*1~HL*2*1*22*0~LX*1~LX*2~HL*3*1*22*0~SE*7*0001~"
    assert (line.m01_AssignedNum, subscriber.m01_HIIDNum, subscriber.m04_HIChildCode) == ("", "", None)
    with pytest.raises(TypeError):
        ctl.AutoBookkeeping = 1
    assert vireo.Vireo(auto_bookkeeping=True).AutoBookkeeping is True
    assert vireo.Vireo().AutoBookkeeping is False


def test_text_is_utf8_in_python_and_windows_1252_in_the_file(ctl, write):
    n3 = ctl.L2010BA_N3_00_SubscriberAddress
    address = "12 RUE JOSÉ € 日"
    assert write(lambda: n3.set(m01_SubscriberAddressLine=address).Additem()) == \
        b"N3*12 RUE JOS\xc9 \x80 ?~"
    assert n3.m01_SubscriberAddressLine == address


def test_code_fields_read_back_as_members_of_their_list(ctl):
    st = ctl.L1_ST_00_TransSetHeader
    st.m01_TransSetIdentCode = "837"
    member = st.m01_TransSetIdentCode
    assert member is ST837
    assert (member.name, int(member), member.code) == ("val_837_HealthCareCLM_143_3", 3683127, "837")
    st.Clear()
    assert st.m01_TransSetIdentCode is None
    assert st.m02_TransSetControlNum == ""


def test_code_lists_are_int_enums_named_as_documented():
    assert issubclass(ST01, enum.IntEnum) and issubclass(ST01, vireo.CodeList)
    assert ST01("837") is ST837  # by code text
    assert ST01(3683127) is ST837  # by Code value
    bht = vireo.L1_BHT_01_1005_7_HIStructCode.val_0019_InfoSourceSubDep_1005_7
    assert (int(bht), bht.code) == (808464697, "0019")
    # The envelope's lists name their members without the two numbers.
    isa = vireo.L0_ISA_01_001_001_AuthInfoQul.val_00_NoAuthInfoPresentinISA02
    assert isa.code == "00"
    assert vireo.NewLineValues.LF_ToSegEnd == 1 and list(vireo.NewLineValues) == [
        vireo.NewLineValues.no_LForCR_ToSegEnd, vireo.NewLineValues.LfCr_ToSegEnd, vireo.NewLineValues.LF_ToSegEnd]


def test_the_whole_catalogue_is_bound():
    """Every class, field, code list and member the type library lists, as the command prints it."""
    vireo_command = os.path.join(built_file("VIREO_BUILD_DIR"), "tools", "vireo")
    lib = json.loads(subprocess.run([vireo_command, "typelib"], capture_output=True, check=True).stdout)
    lists = {name: v for name, v in vars(vireo).items() if isinstance(v, type) and issubclass(v, vireo.CodeList)
             and v is not vireo.CodeList}
    assert {name: {m.name: (m.code, int(m)) for m in codelist} for name, codelist in lists.items()} == {
        l["name"]: {m["name"]: (m["code"], m["value"]) for m in l["members"]} for l in lib["codelists"]}
    classes = {name for name, v in vars(vireo).items() if isinstance(v, type) and issubclass(v, vireo.Segment)
               and v is not vireo.Segment}
    assert classes == {c["name"] for c in lib["classes"]}
    ctl = vireo.Vireo()
    for c in lib["classes"]:
        cls = getattr(vireo, c["name"])
        assert cls.control_property == c["property"]
        assert type(getattr(ctl, c["property"])) is cls
        assert cls.fields == tuple(f["name"] for f in c["fields"])


@pytest.mark.parametrize("strict_values, error_trap", [(False, True), (True, True), (False, False), (True, False)])
def test_a_code_outside_its_list_says_which_list_and_changes_nothing(ctl, write, strict_values, error_trap):
    # Refused when assigned, whatever StrictValues and ErrorTrap say: a code
    # outside its list is a wrong value from Python, not a run-time error.
    ctl.StrictValues = strict_values
    ctl.ErrorTrap = error_trap
    st = ctl.L1_ST_00_TransSetHeader
    st.set(m01_TransSetIdentCode=ST837, m02_TransSetControlNum="0001")
    for wrong in ("838", 3683128, vireo.L1_BHT_02_353_9_TransSetPurposeCode.val_00_Orig_353_9):
        with pytest.raises(vireo.CodeError) as raised:
            st.m01_TransSetIdentCode = wrong
        error = raised.value
        assert isinstance(error, ValueError) and isinstance(error, vireo.VbError) and error.number == 380
        assert "L1_ST_00.m01_TransSetIdentCode" in str(error)
        assert "L1_ST_01_143_3_TransSetIdentCode" in str(error) and "(codes: 837)" in str(error)
        assert st.m01_TransSetIdentCode is ST837
    with pytest.raises(vireo.CodeError, match="a member name"):
        st.m01_TransSetIdentCode = "val_837_HealthCareCLM_143_3"
    with pytest.raises(vireo.CodeError, match="L1_ST_01_143_3_TransSetIdentCode"):
        st.set(m01_TransSetIdentCode="838", m02_TransSetControlNum="0002")
    assert write(st.Additem) == b"ST*837*0001~"  # the segment as it was before the refused values
    # The same list's codes, from another list whose member has the same value, are accepted.
    isa = ctl.L0_ISA_00_IntControlHeader
    isa.m07_IntIDQul = vireo.L0_ISA_05_001_001_IntIDQul.val_ZZ_MutuallyDefined
    assert isa.m07_IntIDQul is vireo.L0_ISA_05_001_001_IntIDQul.val_ZZ_MutuallyDefined


def test_set_checks_everything_before_it_changes_anything(ctl, write):
    clm = ctl.L2300_CLM_00_CLMInfo
    clm.set(m01_PatAccountNum="A1", m06_PROVorSupplierSigIndicator="Y")
    with pytest.raises(vireo.CodeError):
        clm.set(m01_PatAccountNum="B2", m06_PROVorSupplierSigIndicator="X")
    with pytest.raises(TypeError, match='did you mean "m01_PatAccountNum"'):
        clm.set(m01_PatAcountNum="B2")
    with pytest.raises(TypeError, match="by name only"):
        clm.set("B2")
    assert (clm.m01_PatAccountNum, clm.m06_PROVorSupplierSigIndicator.code) == ("A1", "Y")
    assert clm.set(m02_TotalCLMChargeAmount="5") is clm
    assert (clm.m01_PatAccountNum, clm.m02_TotalCLMChargeAmount, clm.m06_PROVorSupplierSigIndicator) == \
        ("", "5", None)  # set() starts from a cleared object
    assert write(lambda: None) == b""


@pytest.mark.parametrize("field, value, error", [
    ("m02_TransSetControlNum", 1, TypeError),
    ("m02_TransSetControlNum", b"0001", TypeError),
    ("m01_TransSetIdentCode", True, TypeError),
    ("m01_TransSetIdentCode", 2.5, TypeError),
    ("m01_TransSetIdentCode", 2 ** 40, vireo.CodeError),
])
def test_wrong_types_are_refused(ctl, field, value, error):
    st = ctl.L1_ST_00_TransSetHeader
    with pytest.raises(error):
        setattr(st, field, value)
    with pytest.raises(TypeError, match="cannot be deleted"):
        delattr(st, field)


@pytest.mark.parametrize("value, written", [
    (145, b"CLM*A1*145~"),
    (Decimal("145.00"), b"CLM*A1*145~"),
    (Decimal("145.10"), b"CLM*A1*145.1~"),
    (Decimal("-0.50"), b"CLM*A1*-0.5~"),
    (Decimal("1.5E+2"), b"CLM*A1*150~"),
    (12.25, b"CLM*A1*12.25~"),  # a float that is exactly its spelling
    ("145.00", b"CLM*A1*145.00~"),  # text is written as it is
    (145.1, ValueError),  # a float near 145.1, not 145.1
    (Decimal("NaN"), ValueError),
    (Decimal("1E+30"), ValueError),  # more digits than CLM02 takes
    (True, TypeError),
])
def test_amounts_take_numbers_written_as_x12_wants(ctl, write, value, written):
    clm = ctl.L2300_CLM_00_CLMInfo
    if isinstance(written, bytes):
        assert write(lambda: clm.set(m01_PatAccountNum="A1", m02_TotalCLMChargeAmount=value).Additem()) == written
    else:
        with pytest.raises(written):
            clm.m02_TotalCLMChargeAmount = value
        with pytest.raises(written):
            clm.set(m02_TotalCLMChargeAmount=value)


def test_unknown_fields_say_did_you_mean(ctl):
    clm = ctl.L2300_CLM_00_CLMInfo
    with pytest.raises(AttributeError, match=r'L2300_CLM_00 has no field "m01_PatAcountNum" '
                                             r'\(did you mean "m01_PatAccountNum"\?\)') as raised:
        clm.m01_PatAcountNum = "A1"
    assert (raised.value.name, raised.value.obj) == ("m01_PatAcountNum", clm)
    with pytest.raises(AttributeError) as raised:
        clm.m01_PatAcountNum
    assert (raised.value.name, raised.value.obj) == ("m01_PatAcountNum", clm)


def test_reading_an_unknown_field_shows_did_you_mean_in_the_traceback():
    program = "import vireo\nvireo.Vireo().L2300_CLM_00_CLMInfo.m02_TotalClmChargeAmount\n"
    result = subprocess.run([sys.executable, "-c", program], capture_output=True, text=True, env=os.environ)
    assert result.returncode == 1
    assert "Did you mean: 'm02_TotalCLMChargeAmount'?" in result.stderr


def test_repr_shows_the_segment_as_it_would_be_written(ctl):
    st = ctl.L1_ST_00_TransSetHeader
    st.set(m01_TransSetIdentCode=ST837, m02_TransSetControlNum="0001")
    assert repr(st) == "<L1_ST_00 'ST*837*0001~'>"
    ctl.DataElementSeparator = "|"
    assert repr(st) == "<L1_ST_00 'ST|837|0001~'>"
    ctl.SegCount = "7"
    se = ctl.L2440_SE_00_TransSetTrailer.set(m02_TransSetControlNum="0001")
    assert repr(se) == "<L2440_SE_00 'SE|8|0001~'>"
    assert se.m01_TransSegCount == "" and ctl.SegCount == "7"  # nothing changed


def test_classes_describe_themselves_and_are_not_creatable(ctl):
    cls = vireo.L2300_CLM_00
    assert (cls.segment_id, cls.loop, cls.label, cls.control_property) == (
        "CLM", "2300", "L_2300_CLM_CLMInfo", "L2300_CLM_00_CLMInfo")
    assert cls.fields[:2] == ("m01_PatAccountNum", "m02_TotalCLMChargeAmount")
    assert "CLM05-1" in cls.m0501_FacTypeCode.__doc__
    with pytest.raises(TypeError):
        cls()
    assert isinstance(ctl.L2300_CLM_00_CLMInfo, vireo.Segment)
