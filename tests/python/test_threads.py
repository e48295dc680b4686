"""Threads: each writes its own file through its own control, and a control
belongs to the thread that created it. No timing is asserted."""
import multiprocessing
import os
import subprocess
import sys
import textwrap
import threading

import pytest

import vireo


def claim_segments(ctl, tag, count, barrier=None):
    """Writes `count` claims' NM1 and CLM; every 500 segments the threads meet,
    so that both are writing at the same time."""
    nm1 = ctl.L2010BA_NM1_00_SubscriberName
    clm = ctl.L2300_CLM_00_CLMInfo
    for i in range(count):
        nm1.m01_EntityIdentCode = "IL"
        nm1.m02_EntityTypeQul = "1"
        nm1.m03_SubscriberLastName = f"{tag}{i}"
        nm1.Additem()
        nm1.Clear()
        clm.m01_PatAccountNum = f"{tag}-{i}"
        clm.m02_TotalCLMChargeAmount = str(i)
        clm.Additem()
        clm.Clear()
        if barrier and i % 250 == 249:
            barrier.wait()


def expected(tag, separator, count):
    segments = b"".join(b"NM1*IL*1*%s%d~\nCLM*%s-%d*%d~\n" % (tag.encode(), i, tag.encode(), i, i)
                        for i in range(count))
    return segments.replace(b"*", separator.encode())


def test_threads_write_their_own_files_side_by_side(tmp_path):
    count = 5000
    barrier = threading.Barrier(2, timeout=120)
    errors = []

    def writer(tag, separator):
        try:
            ctl = vireo.Vireo()
            ctl.NewLine = vireo.NewLineValues.LF_ToSegEnd
            ctl.DataElementSeparator = separator  # each thread has its own writer state
            ctl.SegCount = "0"
            with ctl.open(tmp_path / f"{tag}.837"):
                claim_segments(ctl, tag, count, barrier)
            assert ctl.SegCount == str(2 * count)
        except BaseException as e:  # reported by the main thread
            errors.append(e)
            barrier.abort()

    threads = [threading.Thread(target=writer, args=args) for args in (("A", "*"), ("B", "|"))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []
    assert (tmp_path / "A.837").read_bytes() == expected("A", "*", count)
    assert (tmp_path / "B.837").read_bytes() == expected("B", "|", count)


def write_batch(job):
    """The README's recipe: each process makes its own control and file."""
    path, number, accounts = job
    ctl = vireo.Vireo()
    ctl.NewLine = vireo.NewLineValues.LF_ToSegEnd
    ctl.SegCount = "0"
    with ctl.open(path):
        ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode="837", m02_TransSetControlNum=number).Additem()
        for account in accounts:
            ctl.L2300_CLM_00_CLMInfo.set(m01_PatAccountNum=account, m02_TotalCLMChargeAmount="10").Additem()
        ctl.L2440_SE_00_TransSetTrailer.set(m02_TransSetControlNum=number).Additem()
    return path


def test_processes_write_their_own_files(tmp_path):
    jobs = [(str(tmp_path / f"batch-{n}.837"), f"{n:04d}", [f"A{n}-{i}" for i in range(3)]) for n in range(6)]
    with multiprocessing.get_context("fork").Pool(2) as pool:
        written = sorted(pool.imap_unordered(write_batch, jobs))
    assert written == sorted(job[0] for job in jobs)
    for path, number, accounts in jobs:
        claims = b"".join(b"CLM*%s*10~\n" % a.encode() for a in accounts)
        assert open(path, "rb").read() == b"ST*837*%s~\n%sSE*5*%s~\n" % (number.encode(), claims, number.encode())


def test_a_control_refuses_other_threads(ctl):
    segment = ctl.L1_ST_00_TransSetHeader
    event = ctl.BeforeAdd
    attempts = {
        "property": lambda: ctl.SegCount,
        "method": lambda: ctl.CloseFile(),
        "segment property": lambda: ctl.L1_ST_00_TransSetHeader,
        "field": lambda: setattr(segment, "m02_TransSetControlNum", "0001"),
        "Additem": lambda: segment.Additem(),
        "event": lambda: event.connect(print),
    }
    outcomes = {}

    def elsewhere():
        for name, attempt in attempts.items():
            try:
                attempt()
                outcomes[name] = "allowed"
            except vireo.VbError as e:
                outcomes[name] = (e.number, str(e))
        other = vireo.Vireo()
        try:
            other.L1_ST_00_TransSetHeader = segment
        except vireo.VbError as e:
            outcomes["assigning"] = (e.number, str(e))
        outcomes["repr"] = repr(segment)

    thread = threading.Thread(target=elsewhere)
    thread.start()
    thread.join()
    for name in attempts:
        number, message = outcomes[name]
        assert number == -2147417842, name  # the wrong-thread error, as C++ hosts get it
        assert "was called on a thread that did not create it" in message, name
    assert outcomes["assigning"][0] == -2147417842 and "created on another thread" in outcomes["assigning"][1]
    assert outcomes["repr"] == "<L1_ST_00 of another thread>"


# The writer thread writes into a named pipe that the main thread reads. Once
# the pipe is full, each buffer the writer hands to the kernel waits until the
# main thread has read: if the writer kept the GIL meanwhile, the main thread
# could not run, and neither would ever finish (the parent kills the child
# after a generous limit and reports the deadlock).
PIPE = textwrap.dedent("""
    import os, sys, threading
    import vireo
    fifo = sys.argv[1]
    reader = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
    os.set_blocking(reader, True)
    opened = threading.Event()
    def writer():
        ctl = vireo.Vireo()
        ctl.OpenFile(fifo)
        opened.set()
        nte = ctl.L2400_NTE_00_LineNote
        for i in range(40000):
            nte.set(m02_LineNoteText="%05d" % i + "X" * 74).Additem()
        ctl.CloseFile()
    thread = threading.Thread(target=writer)
    thread.start()
    opened.wait()
    data = bytearray()
    while chunk := os.read(reader, 1 << 16):
        data += chunk
    thread.join()
    expected = b"".join(b"NTE**%05d%s~" % (i, b"X" * 74) for i in range(40000))
    print(len(data), data == expected)
""")


def test_the_gil_is_free_while_a_segment_waits_for_the_kernel(tmp_path):
    fifo = tmp_path / "pipe"
    os.mkfifo(fifo)
    try:
        result = subprocess.run([sys.executable, "-c", PIPE, str(fifo)], capture_output=True, text=True,
                                timeout=120)
    except subprocess.TimeoutExpired:
        pytest.fail("deadlock: the writing thread kept the GIL while it waited for the pipe")
    assert result.returncode == 0, result.stderr
    assert result.stdout.split() == [str(40000 * 85), "True"]
