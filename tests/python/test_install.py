"""The README's command, `pip install ./python`, installs the module into a
plain virtual environment, offline; the example host, run from outside the
source tree, writes the bytes of examples/host.cpp with it; pip knows the
package (list, uninstall); and `pip wheel` builds a wheel that installs."""
import os
import subprocess
import venv

from conftest import SOURCE_DIR, built_file


def test_pip_install_and_wheel_in_a_plain_virtual_environment(tmp_path):
    build_dir = built_file("VIREO_BUILD_DIR")
    environment = tmp_path / "venv"
    venv.create(environment, with_pip=True)
    python = environment / "bin" / "python"
    # As a user's shell would: no PYTHONPATH to the build, no network.
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env.update(PIP_NO_INDEX="1", PIP_DISABLE_PIP_VERSION_CHECK="1")
    pip = [python, "-m", "pip"]
    build = ["--config-settings", f"build-dir={build_dir}"]
    installed = subprocess.run([*pip, "install", *build, SOURCE_DIR / "python"], capture_output=True, text=True,
                               env=env)
    assert installed.returncode == 0, installed.stdout + installed.stderr
    listed = subprocess.run([*pip, "list"], capture_output=True, text=True, env=env, check=True).stdout
    assert f"vireo {__import__('vireo').__version__}" in " ".join(listed.split())

    work = tmp_path / "elsewhere"
    work.mkdir()
    where = subprocess.run([python, "-c", "import vireo; print(vireo.__file__)"], cwd=work, capture_output=True,
                           text=True, env=env)
    assert where.returncode == 0 and where.stdout.startswith(str(environment)), where.stdout + where.stderr
    example = subprocess.run([python, SOURCE_DIR / "examples" / "claims.py", "claims.837"], cwd=work,
                             capture_output=True, text=True, env=env)
    assert example.returncode == 0, example.stderr
    subprocess.run([built_file("VIREO_EXAMPLE_HOST"), work / "host.837"], check=True, capture_output=True)
    assert (work / "claims.837").read_bytes() == (work / "host.837").read_bytes()

    wheels = tmp_path / "wheels"
    built = subprocess.run([*pip, "wheel", "--no-deps", "-w", wheels, *build, SOURCE_DIR / "python"],
                           capture_output=True, text=True, env=env)
    assert built.returncode == 0, built.stdout + built.stderr
    [wheel] = list(wheels.glob("vireo-*.whl"))
    reinstalled = subprocess.run([*pip, "install", "--force-reinstall", wheel], capture_output=True, text=True,
                                 env=env)
    assert reinstalled.returncode == 0, reinstalled.stdout + reinstalled.stderr

    removed = subprocess.run([*pip, "uninstall", "-y", "vireo"], capture_output=True, text=True, env=env)
    assert removed.returncode == 0, removed.stderr
    gone = subprocess.run([python, "-c", "import vireo"], cwd=work, capture_output=True, text=True, env=env)
    assert gone.returncode != 0
