"""Files from Python: Vireo.open() puts a file in place only once it is
complete, and write errors reach the host."""
import gc
import os
import stat
import subprocess
import sys
import textwrap

import pytest

import vireo
from vireo import L1_ST_01_143_3_TransSetIdentCode as ST01


def st(ctl, number="0001"):
    ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode=ST01.val_837_HealthCareCLM_143_3,
                                    m02_TransSetControlNum=number).Additem()


def test_the_file_appears_when_the_block_ends(ctl, tmp_path):
    target = tmp_path / "claims.837"
    with ctl.open(target) as entered:
        assert entered is ctl
        st(ctl)
        assert not target.exists()
        assert [p.name for p in tmp_path.iterdir()] == [f".claims.837.vireo-tmp-{os.getpid()}"]
    assert target.read_bytes() == b"ST*837*0001~"
    assert stat.S_IMODE(target.stat().st_mode) == 0o600
    assert [p.name for p in tmp_path.iterdir()] == ["claims.837"]


def test_a_block_that_raises_leaves_the_target_as_it_was(ctl, tmp_path):
    target = tmp_path / "claims.837"
    target.write_bytes(b"YESTERDAY")
    target.chmod(0o640)
    with pytest.raises(RuntimeError, match="payer lookup failed"):
        with ctl.open(target):
            st(ctl)
            raise RuntimeError("payer lookup failed")
    assert target.read_bytes() == b"YESTERDAY"
    assert [p.name for p in tmp_path.iterdir()] == ["claims.837"]
    with ctl.open(target) as opened:
        st(ctl, "0002")
    assert target.read_bytes() == b"ST*837*0002~"
    assert stat.S_IMODE(target.stat().st_mode) == 0o640  # a replaced file keeps its mode


def test_an_opened_file_used_without_with(ctl, tmp_path):
    target = tmp_path / "claims.837"
    opened = ctl.open(target)
    assert (opened.path, opened.closed) == (str(target), False)
    st(ctl)
    opened.close()
    assert opened.closed and opened.path is None and target.read_bytes() == b"ST*837*0001~"
    opened.close()  # again: nothing to do
    discarded = ctl.open(tmp_path / "discarded.837")
    st(ctl)
    discarded.discard()
    assert sorted(p.name for p in tmp_path.iterdir()) == ["claims.837"]


def test_a_file_never_closed_is_never_written(ctl, tmp_path):
    opened = ctl.open(tmp_path / "forgotten.837")
    st(ctl)
    with pytest.warns(ResourceWarning, match="never closed"):
        del opened
        gc.collect()
    assert list(tmp_path.iterdir()) == []


def test_open_reports_a_bad_path_whatever_error_trap_says(tmp_path):
    ctl = vireo.Vireo(error_trap=False)
    with pytest.raises(vireo.VbError) as raised:
        ctl.open(tmp_path / "missing" / "claims.837")
    assert raised.value.number == 76 and "missing" in str(raised.value)
    assert ctl.ErrorTrap is False


# A process whose files may not grow past 4096 bytes: writing more is the
# error a full disk gives (EFBIG), reported as error 61.
SMALL_DISK = textwrap.dedent("""
    import os, resource, signal, sys
    import vireo
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))
    ctl = vireo.Vireo(error_trap=False)
    seg = ctl.L2400_NTE_00_LineNote
    def write():
        for i in range(200):
            seg.set(m02_LineNoteText="A LINE NOTE OF SOME LENGTH %d" % i).Additem()
    mode = sys.argv[1]
    try:
        if mode == "open":
            with ctl.open(sys.argv[2]):
                write()
        else:
            ctl.OpenFile(sys.argv[2])
            write()
            ctl.CloseFile()
    except vireo.VbError as e:
        print(e.number, e)
""")


@pytest.mark.parametrize("mode", ["open", "OpenFile"])
def test_write_errors_are_reported_at_close(tmp_path, mode):
    target = tmp_path / "claims.837"
    result = subprocess.run([sys.executable, "-c", SMALL_DISK, mode, str(target)], capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("61 Disk full: writing "), result.stdout
    if mode == "open":
        assert list(tmp_path.iterdir()) == []  # neither the target nor the temporary file
    else:
        assert target.stat().st_size <= 4096
