"""examples/claims.py writes the bytes that examples/host.cpp writes, and an
837 that the external validator accepts when it is beside the project."""
import os
import subprocess
import sys

import pytest

from conftest import SOURCE_DIR, built_file


def test_claims_py_writes_what_host_cpp_writes(tmp_path):
    host = built_file("VIREO_EXAMPLE_HOST")
    subprocess.run([host, str(tmp_path / "host.837")], check=True, capture_output=True)
    result = subprocess.run([sys.executable, str(SOURCE_DIR / "examples" / "claims.py"), str(tmp_path / "py.837")],
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    assert result.stdout == f"wrote {tmp_path / 'py.837'}\n"
    written = (tmp_path / "py.837").read_bytes()
    assert written == (tmp_path / "host.837").read_bytes()
    assert written.count(b"~\n") == 109

    validator = os.environ.get("VIREO_EXTERNAL_VALIDATOR", "")
    if not os.access(validator, os.X_OK):
        pytest.skip("the external 837 validator is not beside the project")
    check = subprocess.run([validator, str(tmp_path / "py.837")], capture_output=True, text=True)
    assert check.returncode == 0 and "VALID" in check.stdout, check.stdout + check.stderr
