"""python/install.py puts the module into a fresh virtual environment, where a
program outside the source tree imports it and writes a file."""
import os
import pathlib
import subprocess
import types
import venv

import vireo

from conftest import SOURCE_DIR, built_file

PROGRAM = """
import vireo
ctl = vireo.Vireo()
with ctl.open("claims.837"):
    ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode="837", m02_TransSetControlNum="0001").Additem()
print(vireo.__file__)
"""


def test_install_into_a_fresh_virtual_environment(tmp_path):
    build_dir = built_file("VIREO_BUILD_DIR")
    environment = tmp_path / "venv"
    venv.create(environment, with_pip=False)
    python = environment / "bin" / "python"
    # As a program run outside the build: the module only where it was installed.
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    installed = subprocess.run([python, SOURCE_DIR / "python" / "install.py", "--build-dir", build_dir, "--no-build"],
                               capture_output=True, text=True, env=env)
    assert installed.returncode == 0, installed.stderr
    site_packages = pathlib.Path(subprocess.run(
        [python, "-c", "import sysconfig; print(sysconfig.get_paths()['platlib'])"],
        capture_output=True, text=True, check=True, env=env).stdout.strip())
    assert site_packages.is_relative_to(environment)
    assert installed.stdout == f"installed vireo {__import__('vireo').__version__} into {site_packages / 'vireo'}\n"
    # A stub per catalogue's submodule.
    stubs = [f"{name}.pyi" for name, value in vars(vireo).items()
             if isinstance(value, types.ModuleType) and not name.startswith("_")]
    assert stubs and sorted(p.name for p in (site_packages / "vireo").iterdir() if not p.name.startswith("_vireo")) \
        == sorted(["__init__.py", "__init__.pyi", "_base.py", "py.typed"] + stubs)

    work = tmp_path / "elsewhere"
    work.mkdir()
    run = subprocess.run([python, "-c", PROGRAM], cwd=work, capture_output=True, text=True, env=env)
    assert run.returncode == 0, run.stderr
    assert run.stdout.strip() == str(site_packages / "vireo" / "__init__.py")
    assert (work / "claims.837").read_bytes() == b"ST*837*0001~"
