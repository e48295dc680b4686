"""The Python hosts of examples/ write the bytes of their C++ counterparts:
claims.py those of examples/host.cpp, claims_5010.py those of `vireo run
examples/professional-claims-5010.json`. Each file passes the guide checker
of its GS08's guide, and the external validator when it is beside the project."""
import os
import subprocess
import sys

import pytest

import vireo
from conftest import SOURCE_DIR, built_file


def host_cpp(out):
    return [built_file("VIREO_EXAMPLE_HOST"), out]


def vireo_run(script):
    return lambda out: [os.path.join(built_file("VIREO_BUILD_DIR"), "tools", "vireo"), "run", "--quiet",
                        str(SOURCE_DIR / "examples" / script), "-o", out]


@pytest.mark.parametrize("host, reference, segments", [
    ("claims.py", host_cpp, 109),
    ("claims_5010.py", vireo_run("professional-claims-5010.json"), 54),
])
def test_python_host_writes_what_its_counterpart_writes(tmp_path, host, reference, segments):
    subprocess.run(reference(str(tmp_path / "reference.837")), check=True, capture_output=True)
    result = subprocess.run([sys.executable, str(SOURCE_DIR / "examples" / host), str(tmp_path / "py.837")],
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    assert result.stdout == f"wrote {tmp_path / 'py.837'}\n"
    written = (tmp_path / "py.837").read_bytes()
    assert written == (tmp_path / "reference.837").read_bytes()
    assert written.count(b"~\n") == segments

    report = vireo.check_file(tmp_path / "py.837")
    assert (report.ok, report.errors, report.warnings, report.segments) == (True, 0, 0, segments), str(report)

    validator = os.environ.get("VIREO_EXTERNAL_VALIDATOR", "")
    if not os.access(validator, os.X_OK):
        pytest.skip("the external 837 validator is not beside the project")
    check = subprocess.run([validator, str(tmp_path / "py.837")], capture_output=True, text=True)
    assert check.returncode == 0 and "VALID" in check.stdout, check.stdout + check.stderr
