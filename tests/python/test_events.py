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
