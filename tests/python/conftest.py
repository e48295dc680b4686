"""Shared fixtures of the Python module's tests. CTest runs them with the
build's python/ folder on PYTHONPATH (tests/python/CMakeLists.txt)."""
import os
import pathlib

import pytest

import vireo

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture
def ctl():
    """A control placed new ("*", ":", "~", no newline) with ErrorTrap set and
    the thread's segment count at 0."""
    control = vireo.Vireo()
    control.SegCount = "0"
    return control


@pytest.fixture
def write(ctl, tmp_path):
    """write(step, ...) runs the steps with an open file and returns its bytes."""
    def run(*steps):
        path = tmp_path / "out.x12"
        with ctl.open(path):
            for step in steps:
                step()
        return path.read_bytes()
    return run


def built_file(variable):
    """A file of the build that CTest names in an environment variable; the
    test is skipped when it runs outside CTest."""
    value = os.environ.get(variable)
    if not value:
        pytest.skip(f"{variable} is not set (run through ctest)")
    return value
