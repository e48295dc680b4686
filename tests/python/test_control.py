"""The control from Python: its properties and methods under their documented
names, the ErrorTrap rule, persistence and the segment object properties."""
import datetime

import pytest

import vireo
from vireo import L1_ST_01_143_3_TransSetIdentCode as ST01

ST837 = ST01.val_837_HealthCareCLM_143_3


def add_st(ctl):
    ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode=ST837, m02_TransSetControlNum="0001").Additem()


def test_a_new_control_reads_the_defaults():
    ctl = vireo.Vireo()
    assert (ctl.DataElementSeparator, ctl.SubelementSeparator, ctl.SegmentTerminator) == ("*", ":", "~")
    assert ctl.NewLine is vireo.NewLineValues.no_LForCR_ToSegEnd
    assert (ctl.Annotation, ctl.ErrorTrap, ctl.Filename) == (False, True, "")
    assert vireo.Vireo(error_trap=False).ErrorTrap is False


def test_controls_of_a_thread_share_its_writer_state():
    first = vireo.Vireo()
    first.SegmentTerminator = "!"
    second = vireo.Vireo(read_properties=False)  # keeps the thread's settings
    assert second.SegmentTerminator == "!"
    second.DataElementSeparator = "|"
    assert first.DataElementSeparator == "|"
    vireo.Vireo()  # reading the defaults again sets them for the whole thread
    assert (first.SegmentTerminator, first.DataElementSeparator) == ("~", "*")
    with pytest.raises(ValueError):
        vireo.Vireo(saved="x.ctl", read_properties=False)


@pytest.mark.parametrize("assigned, read", [("", " "), ("|+", "|"), ("^", "^"), ("é", "é")])
def test_a_delimiter_is_one_character(ctl, assigned, read):
    ctl.DataElementSeparator = assigned
    assert ctl.DataElementSeparator == read


# Every mode and flag is framed as the C++ tests show (NewLineAndAnnotation);
# here, that the values reach the control and read back from Python.
@pytest.mark.parametrize("mode, annotation, expected", [
    (-1, False, b"ST*837*0001~"),
    (2, True, b"\r\n\tL_1_ST_TransSetHeader\r\n\r\nST*837*0001~\r\n"),
])
def test_newline_and_annotation(ctl, write, mode, annotation, expected):
    ctl.NewLine = mode
    ctl.Annotation = annotation
    assert write(lambda: add_st(ctl)) == expected
    assert ctl.NewLine == mode


def test_seg_count_is_text_and_counts_segments(ctl, write):
    seen = []
    ctl.BeforeAdd.connect(lambda e: seen.append(e.SegCount))
    ctl.SegCount = "41"
    write(lambda: add_st(ctl))
    assert seen == [42] and ctl.SegCount == "42"
    ctl.SegCount = 7  # an int is given as its text
    assert ctl.SegCount == "7"
    with pytest.raises(vireo.VbError) as raised:
        ctl.SegCount = "forty"
    assert raised.value.number == 13 and ctl.SegCount == "7"
    ctl.ErrorTrap = False
    ctl.SegCount = "forty"  # passed over, as the control does
    assert ctl.SegCount == "7"


def test_error_trap_decides_what_a_write_without_a_file_does(ctl):
    ctl.SegCount = "0"
    with pytest.raises(vireo.VbError) as raised:
        add_st(ctl)
    assert raised.value.number == 52 and ctl.SegCount == "0"
    ctl.ErrorTrap = False
    add_st(ctl)  # lost without a word, but counted
    assert ctl.SegCount == "1"
    ctl.ErrorTrap = -1
    assert ctl.ErrorTrap is True


def test_open_file_returns_the_path_it_opened(ctl, tmp_path):
    ctl.Filename = tmp_path / "named.x12"
    assert ctl.OpenFile() == str(tmp_path / "named.x12")
    add_st(ctl)
    ctl.CloseFile()
    other = tmp_path / "other.x12"
    assert ctl.OpenFile(other) == str(other)
    ctl.CloseFile()
    assert ctl.Filename == str(tmp_path / "named.x12")
    assert (tmp_path / "named.x12").read_bytes() == b"ST*837*0001~"
    assert other.read_bytes() == b""


def test_open_file_failures_follow_error_trap(ctl, tmp_path):
    missing = tmp_path / "no" / "such" / "folder.x12"
    with pytest.raises(vireo.VbError) as raised:
        ctl.OpenFile(missing)
    assert raised.value.number == 76 and str(missing) in str(raised.value)
    ctl.ErrorTrap = False
    ctl.OpenFile(missing)  # passed over


def test_conversions():
    ctl = vireo.Vireo()
    assert ctl.Date_to_CCYYMMDD(datetime.date(1999, 12, 31)) == "19991231"
    assert ctl.Date_to_CCYYMMDD(datetime.datetime(2004, 3, 5, 17, 30)) == "20040305"
    with pytest.raises(TypeError):
        ctl.Date_to_CCYYMMDD("2004-03-05")
    assert [ctl.StringToHex(s) for s in ("837", "", "0019", "\t")] == ["&h383337", "&h", "&h30303139", "&h9"]
    assert (vireo.code_text(3683127), vireo.code_text(0), vireo.code_value("Y")) == ("837", "", 0x59)


def test_show_about_box_has_no_window_here():
    ctl = vireo.Vireo()
    with pytest.raises(vireo.VbError) as raised:
        ctl.ShowAboutBox()
    assert raised.value.number == 438
    ctl.ErrorTrap = False
    ctl.ShowAboutBox()


def test_properties_are_saved_and_read(tmp_path):
    ctl = vireo.Vireo()
    assert ctl.WriteProperties() == ""  # every setting at its default
    ctl.DataElementSeparator = "|"
    ctl.NewLine = vireo.NewLineValues.LfCr_ToSegEnd
    ctl.Annotation = True
    ctl.Filename = "claims.x12"
    saved = tmp_path / "form.ctl"
    ctl.WriteProperties(saved)
    assert saved.read_text().splitlines() == [
        'DataElementSeparator="|"', "NewLine=2", "Annotation=True", 'FileName="claims.x12"']
    vireo.Vireo()
    loaded = vireo.Vireo(saved=saved)
    assert (loaded.DataElementSeparator, loaded.NewLine, loaded.Annotation, loaded.Filename) == (
        "|", vireo.NewLineValues.LfCr_ToSegEnd, True, "claims.x12")
    vireo.Vireo().ReadProperties(saved)
    assert loaded.DataElementSeparator == "|"
    with pytest.raises(vireo.VbError) as raised:
        vireo.Vireo(saved=tmp_path / "missing.ctl")
    assert raised.value.number == 53


def test_segment_properties_keep_and_replace_objects(tmp_path):
    ctl, other = vireo.Vireo(), vireo.Vireo(read_properties=False)
    st = ctl.L1_ST_00_TransSetHeader
    assert ctl.L1_ST_00_TransSetHeader is st
    heard = []
    ctl.BeforeAdd.connect(lambda e: heard.append(("ctl", e.SegValue)))
    other.BeforeAdd.connect(lambda e: heard.append(("other", e.SegValue)))
    other.L1_ST_00_TransSetHeader = st  # one object, held by both controls
    assert other.L1_ST_00_TransSetHeader is st
    ctl.L1_ST_00_TransSetHeader = None  # the first control lets go of it and no longer hears it
    assert ctl.L1_ST_00_TransSetHeader is None
    with other.open(tmp_path / "out.x12"):
        st.set(m01_TransSetIdentCode=ST837, m02_TransSetControlNum="0001").Additem()
    assert heard == [("other", "ST*837*0001~")]
    assert (tmp_path / "out.x12").read_bytes() == b"ST*837*0001~"
    with pytest.raises(TypeError, match="takes a L1_ST_00 object"):
        ctl.L1_ST_00_TransSetHeader = other.L1_BHT_00_BegHITrans
    with pytest.raises(TypeError):
        del ctl.L1_ST_00_TransSetHeader


def test_unknown_members_say_did_you_mean(ctl):
    with pytest.raises(AttributeError, match='did you mean "SegmentTerminator"'):
        ctl.SegmentTerminater = "~"
    with pytest.raises(AttributeError, match='did you mean "SegCount"'):
        ctl.segcount
    with pytest.raises(AttributeError, match='did you mean "L2300_CLM_00_CLMInfo"'):
        ctl.L2300_CLM_00_ClmInfo


def test_a_4010_and_a_5010_control_write_their_own_catalogues_in_one_program(tmp_path):
    from vireo import professional_5010 as p5010
    old, new = vireo.Vireo(), p5010.Vireo(read_properties=False)
    with old.open(tmp_path / "4010.x12"):
        add_st(old)
    with new.open(tmp_path / "5010.x12"):
        st = new.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode="837", m02_TransSetControlNum="0001",
                                             m03_ImplConventionRef="005010X222A1")
        st.Additem()
    assert (tmp_path / "4010.x12").read_bytes() == b"ST*837*0001~"
    assert (tmp_path / "5010.x12").read_bytes() == b"ST*837*0001*005010X222A1~"
    assert st.m01_TransSetIdentCode is p5010.L1_ST_01_143_3_TransSetIdentCode.val_837_HealthCareCLM_143_3
    assert type(st).__module__ == "vireo.professional_5010" and type(old) is vireo.professional_4010.Vireo
    checker = vireo.GuideChecker()
    checker.attach(new)  # a checker takes either catalogue's control
    checker.detach()


@pytest.mark.parametrize("giver, taker", [("professional_4010", "professional_5010"),
                                          ("professional_5010", "professional_4010")])
def test_a_segment_object_of_another_catalogue_is_refused(giver, taker):
    source = getattr(vireo, giver).Vireo()
    target = getattr(vireo, taker).Vireo(read_properties=False)
    kept = target.L2300_CLM_00_CLMInfo
    with pytest.raises(TypeError, match=rf"L2300_CLM_00_CLMInfo takes a L2300_CLM_00 object or None, not "
                                        rf"vireo\.{giver}\.L2300_CLM_00 \(a class of another catalogue: this "
                                        rf"control takes vireo\.{taker}\.L2300_CLM_00\)"):
        target.L2300_CLM_00_CLMInfo = source.L2300_CLM_00_CLMInfo
    assert target.L2300_CLM_00_CLMInfo is kept
