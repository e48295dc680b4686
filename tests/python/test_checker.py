"""The guide checker from Python: files checked on disk, and segments checked
as a control writes them, with findings that say where and what."""
import importlib.util
import subprocess
import sys
import threading

import pytest

import vireo
from conftest import SOURCE_DIR


def claims_module():
    spec = importlib.util.spec_from_file_location("claims", SOURCE_DIR / "examples" / "claims.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


@pytest.fixture(scope="module")
def valid_file(tmp_path_factory):
    path = tmp_path_factory.mktemp("checked") / "claims.837"
    ctl = vireo.Vireo()
    with ctl.open(path):
        claims_module().write_claims(ctl)
    return path


def test_a_valid_file_has_no_findings(valid_file):
    report = vireo.check_file(valid_file)
    assert report == [] and not report and report.ok
    assert str(report) == f"{valid_file}: 109 segments, 0 errors, 0 warnings"
    checker = vireo.GuideChecker()
    assert checker.check_file(valid_file) == []
    assert (checker.errors, checker.warnings, checker.segments, checker.not_x12) == (0, 0, 109, False)


def test_a_report_counts_its_own_file_past_the_findings_kept(valid_file, tmp_path):
    broken = tmp_path / "broken.837"
    broken.write_bytes(valid_file.read_bytes().replace(b"*D8*20240108~", b"*D8*2024-01-08~"))
    checker = vireo.GuideChecker(keep=1)
    first = checker.check_file(broken)
    assert (len(first), first.errors, first.warnings, first.segments, first.ok) == (1, 3, 0, 109, False)
    assert str(first) == f"{broken}: 109 segments, 3 errors, 0 warnings"
    again = checker.check_file(valid_file)  # counts are this file's, not the checker's running totals
    assert (len(again), again.errors, again.segments, again.ok) == (0, 0, 109, True)
    refused = checker.check_file("/dev/zero")
    assert (refused.not_x12, refused.ok, refused.segments) == (True, False, 0)
    assert str(refused).endswith("(not an X12 interchange)")
    assert not checker.check_file(valid_file).not_x12


def test_findings_say_where_and_what(valid_file, tmp_path):
    broken = tmp_path / "broken.837"
    broken.write_bytes(valid_file.read_bytes().replace(b"DTP*472*D8*20240108~", b"DTP*472*D8*2024-01-08~", 1))
    findings = vireo.check_file(broken)
    assert len(findings) == 1
    f = findings[0]
    assert (f.file, f.segment, f.loop, f.segment_id, f.element, f.severity, f.rule) == (
        str(broken), 34, "2400", "DTP", "DTP03", "error", "date")
    assert str(f) == f'{broken}:34: 2400 DTP[DTP03]: error: {f.message}'
    assert '"2024-01-08"' in f.message and f.to_json().startswith("{")

    # The same findings when the bytes come in pieces.
    checker = vireo.GuideChecker()
    checker.begin_file(str(broken))
    data = broken.read_bytes()
    for i in range(0, len(data), 7):
        checker.feed(data[i:i + 7])
    checker.end_file()
    assert [str(x) for x in checker.findings] == [str(f)]


def test_an_attached_checker_sees_what_the_control_writes(tmp_path):
    ctl = vireo.Vireo()
    checker = vireo.GuideChecker()
    checker.attach(ctl)
    try:
        target = tmp_path / "written.837"
        with ctl.open(target):
            claims = claims_module()
            original = claims.service_lines

            def misdated(ctl, account, date, lines, **kwargs):  # one date as a host might misformat it
                original(ctl, account, "2024-01-08" if account == "JD240108A" else date, lines, **kwargs)

            claims.service_lines = misdated
            claims.write_claims(ctl)
        assert checker.segments == 109
        assert checker.errors == 3  # one per line of that claim
        assert {(f.file, f.element, f.rule) for f in checker.findings} == {(str(target), "DTP03", "date")}
    finally:
        checker.detach()
    first = vireo.GuideChecker()
    first.attach(ctl)
    with pytest.raises(vireo.VbError) as raised:
        vireo.GuideChecker().attach(ctl)
    assert raised.value.number == 5 and "another GuideChecker" in str(raised.value)  # one per thread
    first.detach()


def test_a_checker_belongs_to_its_thread():
    checker = vireo.GuideChecker()
    outcome = []

    def elsewhere():
        try:
            checker.findings
        except vireo.VbError as e:
            outcome.append(e.number)

    thread = threading.Thread(target=elsewhere)
    thread.start()
    thread.join()
    assert outcome == [-2147417842]


def test_an_endless_input_is_refused_after_its_first_bytes():
    # In a child with a deadline: a check that read /dev/zero to its end would never return.
    code = "import vireo; print(*[(f.segment, f.rule) for f in vireo.check_file('/dev/zero')])"
    child = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60)
    assert (child.stdout, child.returncode) == ("(0, 'not-x12')\n", 0), child.stderr
