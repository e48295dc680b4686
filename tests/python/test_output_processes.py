"""Vireo.open() and processes: a fork of the writer never removes, writes or
puts in place the parent's file; a signal that ends the program at once takes
the temporary file with it; a folder the writer may write but not read is
written like any other. Each case runs in a fresh interpreter of its own, so
that its interpreter shutdown is a real one."""
import os
import shutil
import signal
import stat
import subprocess
import sys
import tempfile
import textwrap

import pytest

FORKED = textwrap.dedent("""
    import os, sys
    import vireo
    target, how = sys.argv[1], sys.argv[2]
    ctl = vireo.Vireo()
    def st(number):
        ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode="837", m02_TransSetControlNum=number).Additem()
    def in_fork():
        if how == "exit":
            sys.exit(0)
        if how == "raise":
            raise RuntimeError("the fork failed")
        if how == "close":
            try:
                opened.close()
            except vireo.VbError as e:
                print("fork:", e.number, "a fork of it, cannot" in str(e), flush=True)
            sys.exit(0)
        # "leave": the fork goes on to the end of the with block
    def in_parent(child):
        _, status = os.waitpid(child, 0)
        print("fork status:", os.waitstatus_to_exitcode(status), flush=True)
        st("0002")
    opened = ctl.open(target)
    if how == "exit_with_the_file_never_closed":
        st("0001")
        child = os.fork()
        if child == 0:
            sys.exit(0)
        in_parent(child)
        opened.close()
    else:
        with opened:
            st("0001")
            child = os.fork()
            if child == 0:
                in_fork()
            else:
                in_parent(child)
""")


@pytest.mark.parametrize("how, printed, fork_says", [
    pytest.param(how, printed, fork_says, id=how) for how, printed, fork_says in [
        ("exit", "fork status: 0\n", ""),
        ("raise", "fork status: 1\n", "RuntimeError: the fork failed"),
        ("close", "fork: 75 True\nfork status: 0\n", ""),
        ("leave", "fork status: 1\n", "a fork of it, cannot write or close it"),
        ("exit_with_the_file_never_closed", "fork status: 0\n", ""),
    ]
])
def test_a_fork_leaves_the_file_to_the_process_that_opened_it(tmp_path, how, printed, fork_says):
    target = tmp_path / "claims.837"
    target.write_bytes(b"YESTERDAY")
    result = subprocess.run([sys.executable, "-c", FORKED, str(target), how], capture_output=True, text=True)
    assert (result.returncode, result.stdout) == (0, printed), result.stderr
    assert fork_says in result.stderr
    assert target.read_bytes() == b"ST*837*0001~ST*837*0002~"
    assert [p.name for p in tmp_path.iterdir()] == ["claims.837"]


SIGNALLED = textwrap.dedent("""
    import signal, sys
    import vireo
    exec(sys.argv[2])
    ctl = vireo.Vireo()
    with ctl.open(sys.argv[1]):
        ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode="837", m02_TransSetControlNum="0001").Additem()
        print("writing", flush=True)
        sys.stdin.read()
""")


@pytest.mark.parametrize("signal_number, setup, returncode", [
    (signal.SIGTERM, "", -signal.SIGTERM),
    (signal.SIGHUP, "", -signal.SIGHUP),
    (signal.SIGINT, "signal.signal(signal.SIGINT, signal.SIG_DFL)", -signal.SIGINT),
    # The program's own handler stays its own: here it leaves the with block.
    (signal.SIGTERM, "signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(3))", 3),
], ids=["sigterm", "sighup", "sigint_set_to_default", "sigterm_handled_by_the_program"])
def test_a_signal_that_ends_the_program_removes_the_temporary(tmp_path, signal_number, setup, returncode):
    target = tmp_path / "claims.837"
    target.write_bytes(b"YESTERDAY")
    with subprocess.Popen([sys.executable, "-c", SIGNALLED, str(target), setup], stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE, text=True) as writer:
        assert writer.stdout.readline() == "writing\n"
        writer.send_signal(signal_number)
        assert writer.wait() == returncode
    assert target.read_bytes() == b"YESTERDAY"
    assert [p.name for p in tmp_path.iterdir()] == ["claims.837"]


DROPPED = textwrap.dedent("""
    import sys
    import vireo
    ctl = vireo.Vireo()
    for number in ("0001", "0002"):  # a new file, then replacing it
        with ctl.open(sys.argv[1]):
            ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode="837", m02_TransSetControlNum=number).Additem()
""")


@pytest.mark.skipif(not hasattr(os, "geteuid") or os.geteuid() != 0, reason="becoming another user needs root")
@pytest.mark.parametrize("mode", [0o733, 0o1733], ids=["plain_0733", "sticky_1733"])
def test_a_drop_folder_that_the_writer_cannot_read(mode):
    folder = tempfile.mkdtemp(prefix="vireo-drop-")  # under /tmp, which "nobody" can reach
    try:
        os.chmod(folder, mode)
        target = os.path.join(folder, "claims.837")
        result = subprocess.run([sys.executable, "-c", DROPPED, target], capture_output=True, text=True,
                                user=65534, group=65534, extra_groups=[])
        assert result.returncode == 0, result.stderr
        with open(target, "rb") as written:
            assert written.read() == b"ST*837*0002~"
        st = os.stat(target)
        assert (st.st_uid, stat.S_IMODE(st.st_mode)) == (65534, 0o600)
        assert os.listdir(folder) == ["claims.837"]
    finally:
        shutil.rmtree(folder)
