#!/usr/bin/env python3
"""Installs the Python module vireo for the interpreter that runs this script,
from the source tree, offline:

    python3 python/install.py               # the system's site-packages (root; /usr/local/lib/... on Debian)
    .venv/bin/python python/install.py      # a virtual environment's site-packages
    python3 python/install.py --user        # the user's site-packages

It builds the module with CMake for this interpreter (in build-python/ beside
this folder, or --build-dir), then copies the package vireo into
site-packages, replacing an earlier install. The build needs the packages of
`scripts/packages.sh build python`.
"""
import argparse
import os
import shutil
import site
import subprocess
import sys
import sysconfig
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def cached_interpreter(build_dir):
    """The Python3_EXECUTABLE a build folder was configured with, or None."""
    cache = os.path.join(build_dir, "CMakeCache.txt")
    if not os.path.exists(cache):
        return None
    with open(cache, encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith("Python3_EXECUTABLE:"):
                return line.split("=", 1)[1].strip()
    return None


def same_interpreter(a, b):
    return os.path.realpath(a) == os.path.realpath(b)


def build(build_dir, jobs):
    configured = cached_interpreter(build_dir)
    if configured and not same_interpreter(configured, sys.executable):
        sys.exit(f"install.py: {build_dir} builds for {configured}, not {sys.executable}: "
                 "give another --build-dir")
    if not configured:
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        # Release at -O2, as the project's figures are measured; the module is stripped.
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, *generator, "-DCMAKE_BUILD_TYPE=Release",
                        "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG",
                        "-DVIREO_BUILD_PYTHON=ON", "-DVIREO_BUILD_TESTS=OFF", "-DVIREO_BUILD_UI=OFF",
                        "-DVIREO_BUILD_BENCH=OFF", f"-DPython3_EXECUTABLE={sys.executable}"], check=True)
    subprocess.run(["cmake", "--build", build_dir, "--target", "vireo_python", "--parallel", str(jobs)], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build-dir", default=os.path.join(ROOT, "build-python"),
                        help="the CMake build folder (default: build-python in the source tree)")
    parser.add_argument("--no-build", action="store_true",
                        help="install what --build-dir holds, without building (it must be built for this interpreter)")
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--user", action="store_true", help="install into the user's site-packages")
    where.add_argument("--target", help="install into this folder instead of site-packages")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 2, help="parallel build jobs")
    args = parser.parse_args()

    build_dir = os.path.abspath(args.build_dir)
    if not args.no_build:
        build(build_dir, args.jobs)
    package = os.path.join(build_dir, "python", "vireo")
    suffix = sysconfig.get_config_var("EXT_SUFFIX")
    if not os.path.exists(os.path.join(package, "_vireo" + suffix)):
        sys.exit(f"install.py: {package} holds no _vireo{suffix}, the extension this interpreter loads: "
                 f"build it for {sys.executable} (without --no-build)")

    if args.target:
        target = os.path.abspath(args.target)
    elif args.user:
        target = site.getusersitepackages()
    else:
        target = sysconfig.get_paths()["platlib"]
    os.makedirs(target, exist_ok=True)
    destination = os.path.join(target, "vireo")
    # The copy is made beside the destination and renamed over it, so that a
    # failed install leaves the earlier one whole.
    staging = tempfile.mkdtemp(prefix=".vireo-install-", dir=target)
    try:
        shutil.copytree(package, os.path.join(staging, "vireo"), ignore=shutil.ignore_patterns("__pycache__"))
        if os.path.isdir(destination):
            shutil.rmtree(destination)
        os.rename(os.path.join(staging, "vireo"), destination)
    finally:
        shutil.rmtree(staging, ignore_errors=True)

    # Import it as a program of this interpreter would, away from the source tree.
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    if args.target:
        env["PYTHONPATH"] = target
    check = subprocess.run([sys.executable, "-c", "import vireo; print(vireo.__file__, vireo.__version__)"],
                           cwd=tempfile.gettempdir(), env=env, capture_output=True, text=True)
    if check.returncode != 0:
        sys.exit(f"install.py: installed into {destination}, but this interpreter cannot import it:\n{check.stderr}")
    print(f"installed vireo {check.stdout.split()[-1]} into {destination}")


if __name__ == "__main__":
    main()
