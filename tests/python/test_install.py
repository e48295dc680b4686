"""pip builds a wheel of the module and installs it into a plain virtual
environment, offline; a program outside the source tree imports it and writes
a file, and pip knows the package (list, uninstall)."""
import os
import subprocess
import venv

from conftest import SOURCE_DIR, built_file

PROGRAM = """
import vireo
ctl = vireo.Vireo()
with ctl.open("claims.837"):
    ctl.L1_ST_00_TransSetHeader.set(m01_TransSetIdentCode="837", m02_TransSetControlNum="0001").Additem()
print(vireo.__file__)
"""


def test_pip_wheel_and_install_into_a_plain_virtual_environment(tmp_path):
    build_dir = built_file("VIREO_BUILD_DIR")
    environment = tmp_path / "venv"
    venv.create(environment, with_pip=True)
    python = environment / "bin" / "python"
    # As a user's shell would: no PYTHONPATH to the build, no network.
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env.update(PIP_NO_INDEX="1", PIP_DISABLE_PIP_VERSION_CHECK="1")
    pip = [python, "-m", "pip"]
    wheels = tmp_path / "wheels"
    built = subprocess.run([*pip, "wheel", "--no-deps", "-w", wheels, "--config-settings", f"build-dir={build_dir}",
                            SOURCE_DIR / "python"], capture_output=True, text=True, env=env)
    assert built.returncode == 0, built.stdout + built.stderr
    [wheel] = list(wheels.glob("vireo-*.whl"))
    installed = subprocess.run([*pip, "install", wheel], capture_output=True, text=True, env=env)
    assert installed.returncode == 0, installed.stdout + installed.stderr
    listed = subprocess.run([*pip, "list"], capture_output=True, text=True, env=env, check=True).stdout
    assert f"vireo {__import__('vireo').__version__}" in " ".join(listed.split())

    work = tmp_path / "elsewhere"
    work.mkdir()
    run = subprocess.run([python, "-c", PROGRAM], cwd=work, capture_output=True, text=True, env=env)
    assert run.returncode == 0, run.stderr
    assert run.stdout.strip().startswith(str(environment))
    assert (work / "claims.837").read_bytes() == b"ST*837*0001~"

    removed = subprocess.run([*pip, "uninstall", "-y", "vireo"], capture_output=True, text=True, env=env)
    assert removed.returncode == 0, removed.stderr
    gone = subprocess.run([python, "-c", "import vireo"], cwd=work, capture_output=True, text=True, env=env)
    assert gone.returncode != 0
