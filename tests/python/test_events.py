"""BeforeAdd from Python: the arguments, cancelling, the order of handlers,
exceptions in handlers and reentrancy."""
import gc
import weakref

import pytest

import vireo
from vireo import L1_ST_01_143_3_TransSetIdentCode as ST01

ST837 = ST01.val_837_HealthCareCLM_143_3


def st(ctl, number="0001"):
    return ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode=ST837, m02_TransSetControlNum=number)


def test_handlers_receive_the_segment_and_its_count(ctl, write):
    seen = []

    @ctl.BeforeAdd.connect
    def handler(e):
        seen.append((e.SegValue, e.SegCount, e.bCancel))

    ctl.SegCount = "4"
    assert write(lambda: st(ctl).Additem()) == b"ST*837*0001~"
    assert seen == [("ST*837*0001~", 5, 0)]
    assert ctl.BeforeAdd.handlers == (handler,) and len(ctl.BeforeAdd) == 1


def set_cancel(value):
    def handler(e):
        e.bCancel = value
    return handler


def returning(value):
    return lambda e: value


@pytest.mark.parametrize("handlers, written", [
    ([set_cancel(-1)], False),
    ([set_cancel(True)], False),
    ([set_cancel(1)], True),  # only -1 cancels
    ([returning(-1)], False),
    ([returning(True)], False),
    ([returning(1)], True),
    ([returning(None)], True),
    ([set_cancel(-1), returning(False)], True),  # a later handler lets it through again
    ([set_cancel(-1), returning(None)], False),
])
def test_cancelling(ctl, write, handlers, written):
    for handler in handlers:
        ctl.BeforeAdd.connect(handler)
    ctl.SegCount = "0"
    assert write(lambda: st(ctl).Additem()) == (b"ST*837*0001~" if written else b"")
    assert ctl.SegCount == ("1" if written else "0")


def test_the_objects_own_handlers_run_first_and_changes_reach_later_handlers(ctl, write):
    order = []
    segment = ctl.L1_ST_00_TransSetHeader

    @segment.BeforeAdd.connect
    def own(e):
        order.append(("own", e.SegValue, e.SegCount))
        e.SegValue = "XX*changed~"
        e.SegCount = 99

    @ctl.BeforeAdd.connect
    def control(e):
        order.append(("control", e.SegValue, e.SegCount))

    ctl.SegCount = "0"
    assert write(lambda: st(ctl).Additem()) == b"ST*837*0001~"  # copies: what is written does not change
    assert order == [("own", "ST*837*0001~", 1), ("control", "XX*changed~", 99)]
    assert ctl.SegCount == "1"


def test_an_exception_in_a_handler_stops_the_segment_and_reaches_additem(ctl, write):
    later = []
    problem = KeyError("no such payer")

    def failing(e):
        raise problem

    ctl.BeforeAdd.connect(failing)
    ctl.BeforeAdd.connect(later.append)
    ctl.SegCount = "0"

    def steps():
        with pytest.raises(KeyError) as raised:
            st(ctl).Additem()
        assert raised.value is problem

    assert write(steps) == b""
    assert later == [] and ctl.SegCount == "0"


def test_a_handler_may_write_another_segment_first(ctl, write):
    bht = ctl.L1_BHT_00_BegHITrans

    def before_st(e):
        if e.SegValue.startswith("ST"):
            bht.set(m03_OriginatorAppTransIdent="FIRST").Additem()

    ctl.BeforeAdd.connect(before_st)
    ctl.SegCount = "0"
    assert write(lambda: st(ctl).Additem()) == b"BHT***FIRST~ST*837*0001~"
    assert ctl.SegCount == "2"


def test_connect_and_disconnect(ctl, write):
    calls = []

    def second(e):
        calls.append("second")

    def first(e):
        calls.append("first")
        ctl.BeforeAdd.disconnect(second)  # not called in this raise any more

    assert ctl.BeforeAdd.connect(first) is first
    ctl.BeforeAdd.connect(second)
    write(lambda: st(ctl).Additem())
    assert calls == ["first"]
    with pytest.raises(ValueError):
        ctl.BeforeAdd.disconnect(second)
    with pytest.raises(TypeError):
        ctl.BeforeAdd.connect("not callable")


def test_argument_types_are_checked(ctl, write):
    errors = []

    def handler(e):
        for name, value in (("bCancel", "yes"), ("SegCount", 2 ** 40), ("SegValue", b"ST")):
            try:
                setattr(e, name, value)
            except (TypeError, OverflowError) as error:
                errors.append(type(error))

    ctl.BeforeAdd.connect(handler)
    assert write(lambda: st(ctl).Additem()) == b"ST*837*0001~"
    assert errors == [TypeError, OverflowError, TypeError]


def test_handlers_that_refer_to_their_control_do_not_keep_it_alive():
    ctl = vireo.Vireo()
    segment = ctl.L1_ST_00_TransSetHeader
    ctl.BeforeAdd.connect(lambda e: ctl.SegCount)
    segment.BeforeAdd.connect(lambda e: segment.Clear())
    gone = weakref.ref(ctl)
    del ctl, segment
    gc.collect()
    assert gone() is None


ISA_FIELDS = dict(
    m01_AuthInfoQul="00", m03_SecurityInfoQul="00", m05_IntIDQul="ZZ", m06_IntSenderID="VIREOSUBMIT",
    m07_IntIDQul="ZZ", m08_IntRecvID="CLEARHOUSE01", m09_IntDate="240201", m10_IntTime="0930",
    m11_IntStandsIdent="U", m12_IntControlVersionNum="00401", m13_IntControlNumMustMatchIEA02="000000001",
    m14_AcknowledgmentRequested="0", m15_ProductionTestUsageIndicator="T")
ISA = (b"ISA*00*          *00*          *ZZ*VIREOSUBMIT    *ZZ*CLEARHOUSE01   *240201*0930*U*00401*000000001"
       b"*0*T*:~")


class Scene:
    """A control whose only reference is in `box`, with a checker attached whose
    only reference is in `checkers`, and a handler that runs `pending` while
    a segment is announced."""

    def __init__(self, tmp_path):
        self.box = [vireo.Vireo()]
        self.checkers = [vireo.GuideChecker()]
        self.checkers[0].attach(self.box[0])
        self.first, self.second = tmp_path / "first.x12", tmp_path / "second.x12"
        self.pending = []

        def handler(e):
            if self.pending:
                self.pending.pop()(self)

        self.handler = handler
        self.box[0].BeforeAdd.connect(handler)

    @property
    def ctl(self):
        return self.box[0]


def attach_another(s):
    s.checkers[:] = [vireo.GuideChecker()]
    s.checkers[0].attach(s.ctl)


def reattach(s):
    s.checkers[0].detach()
    s.checkers[0].attach(s.ctl)


def release_segment(s):
    s.ctl.L0_ISA_00_IntControlHeader = None
    s.box.clear()


def reopen(s):
    s.ctl.CloseFile()
    s.ctl.OpenFile(s.second)


def replace_handlers(s):
    s.ctl.BeforeAdd.disconnect(s.handler)
    s.ctl.BeforeAdd.connect(set_cancel(-1))


def add_without_end(s):
    s.pending.append(add_without_end)
    s.ctl.L0_ISA_00_IntControlHeader.Additem()


# What a handler may do while its segment (an ISA, so that a checker's count
# shows whether its file began with it) is on its way: each gives the file's
# bytes or an error saying what was refused, never a crash. A checker destroyed
# or detached stops at once and one attached meanwhile starts with the next
# segment; the segment in progress is written either way. `first` and `second`
# count the ISAs in each file: after the first one, the test adds another.
@pytest.mark.parametrize("act, error, first, second, checked", [
    (lambda s: s.box.clear(), None, 2, None, 2),
    (release_segment, None, 2, None, 2),
    (lambda s: s.checkers.clear(), None, 2, None, None),
    (lambda s: s.checkers[0].detach(), None, 2, None, 0),
    (reattach, None, 2, None, 1),
    (attach_another, None, 2, None, 1),
    (lambda s: s.ctl.L0_ISA_00_IntControlHeader.Clear(), None, 2, None, 2),
    (lambda s: s.ctl.L0_ISA_00_IntControlHeader.Additem(), None, 3, None, 3),
    (add_without_end, (RecursionError, "recursion"), 0, None, 0),
    (lambda s: s.ctl.CloseFile(), (vireo.VbError, "no output file is open"), 0, None, 0),
    (reopen, None, 0, 2, 2),
    (replace_handlers, None, 1, None, 1),
], ids=["drops the control", "releases the segment", "drops the checker", "detaches the checker",
        "attaches the checker again", "attaches another checker", "clears the segment", "adds it again",
        "adds it without end", "closes the file", "opens another file", "replaces the handlers"])
def test_what_a_handler_does_in_the_middle_of_a_segment(tmp_path, act, error, first, second, checked):
    scene = Scene(tmp_path)
    try:
        scene.ctl.OpenFile(scene.first)
        scene.pending.append(act)
        if error:
            with pytest.raises(error[0], match=error[1]):
                scene.ctl.L0_ISA_00_IntControlHeader.set(**ISA_FIELDS).Additem()
        else:
            scene.ctl.L0_ISA_00_IntControlHeader.set(**ISA_FIELDS).Additem()
        after = scene.box[0] if scene.box else vireo.Vireo(read_properties=False)
        if not error:
            after.L0_ISA_00_IntControlHeader.set(**ISA_FIELDS).Additem()
        after.CloseFile()
        del after
        assert scene.first.read_bytes() == ISA * first
        assert second is None or scene.second.read_bytes() == ISA * second
        assert (scene.checkers[0].segments if scene.checkers else None) == checked
    finally:
        for checker in scene.checkers:
            checker.detach()
