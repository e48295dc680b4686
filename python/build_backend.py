"""The build backend of the Python package vireo (PEP 517), for pip:

    python3 -m venv .venv && .venv/bin/pip install ./python     # offline
    pip wheel ./python                                           # vireo-1.0.0-cp311-cp311-linux_x86_64.whl

It builds the extension with CMake from the source tree around this folder,
for the interpreter pip runs it with, and packs the package folder the build
lays out (build/python/vireo: the extension, the Python files, the stubs) into
a wheel. It needs nothing beyond the standard library, so that an isolated
build needs no download: the only build requirements are the Debian packages
of `scripts/packages.sh build python`. The CMake build folder is
build-python/ in the source tree unless `--config-settings build-dir=DIR`
(or VIREO_BUILD_DIR) names one already configured for this interpreter.
"""
import base64
import hashlib
import io
import os
import re
import shutil
import subprocess
import sys
import sysconfig
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
NAME = "vireo"
SUMMARY = "Health-care claim files in the ASC X12 837 Professional format (4010 and 5010): writer and checker"


def _version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        found = re.search(r"project\(vireo VERSION ([0-9.]+)", f.read())
    if not found:
        raise RuntimeError("vireo: no project version in CMakeLists.txt")
    return found.group(1)


def _tag():
    """The wheel's tag: this interpreter's ABI and platform (the extension is built for them)."""
    version = "%d%d" % sys.version_info[:2]
    platform = sysconfig.get_platform().replace("-", "_").replace(".", "_")
    return "cp%s-cp%s-%s" % (version, version, platform)


def _configured_interpreter(build_dir):
    cache = os.path.join(build_dir, "CMakeCache.txt")
    if not os.path.exists(cache):
        return None
    with open(cache, encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith("Python3_EXECUTABLE:"):
                return line.split("=", 1)[1].strip()
    return None


def _build(config_settings):
    settings = config_settings or {}
    build_dir = os.path.abspath(settings.get("build-dir") or os.environ.get("VIREO_BUILD_DIR") or
                                os.path.join(ROOT, "build-python"))
    # A folder configured for another interpreter serves when its extension
    # has this one's ABI suffix (a virtual environment of the same Python).
    configured = _configured_interpreter(build_dir)
    if not configured:
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        # Release at -O2, as the project's figures are measured.
        subprocess.run(["cmake", "-S", ROOT, "-B", build_dir, *generator, "-DCMAKE_BUILD_TYPE=Release",
                        "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG", "-DVIREO_BUILD_PYTHON=ON",
                        "-DVIREO_BUILD_TESTS=OFF", "-DVIREO_BUILD_UI=OFF", "-DVIREO_BUILD_BENCH=OFF",
                        "-DPython3_EXECUTABLE=" + sys.executable], check=True, stdout=sys.stderr)
    subprocess.run(["cmake", "--build", build_dir, "--target", "vireo_python", "vireo_python_package",
                    "--parallel", str(os.cpu_count() or 2)], check=True, stdout=sys.stderr)
    package = os.path.join(build_dir, "python", NAME)
    extension = "_vireo" + sysconfig.get_config_var("EXT_SUFFIX")
    if not os.path.exists(os.path.join(package, extension)):
        raise RuntimeError("vireo: %s holds no %s, the extension %s loads: it builds for %s; name another "
                           "build-dir" % (package, extension, sys.executable, configured or "another interpreter"))
    return package


def _metadata():
    return ("Metadata-Version: 2.1\nName: %s\nVersion: %s\nSummary: %s\nRequires-Python: >=3.9\n"
            "License: see the source tree\n" % (NAME, _version(), SUMMARY))


def _dist_info():
    return "%s-%s.dist-info" % (NAME, _version())


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return "%s,sha256=%s,%d\n" % (name, digest, len(data))


# ---- the hooks pip calls ----

def get_requires_for_build_wheel(config_settings=None):
    return []


def prepare_metadata_for_build_wheel(metadata_directory, config_settings=None):
    folder = os.path.join(metadata_directory, _dist_info())
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "METADATA"), "w", encoding="utf-8") as f:
        f.write(_metadata())
    return _dist_info()


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    package = _build(config_settings)
    files = []
    for folder, dirs, names in os.walk(package):
        dirs[:] = sorted(d for d in dirs if d != "__pycache__")
        for name in sorted(names):
            path = os.path.join(folder, name)
            files.append((os.path.join(NAME, os.path.relpath(path, package)), path))
    info = _dist_info()
    wheel_text = ("Wheel-Version: 1.0\nGenerator: vireo build_backend\nRoot-Is-Purelib: false\nTag: %s\n" % _tag())
    filename = "%s-%s-%s.whl" % (NAME, _version(), _tag())
    # Written beside its place and renamed, so that a failed build leaves no half wheel.
    target = os.path.join(wheel_directory, filename)
    partial = target + ".part"
    record = io.StringIO()
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as wheel:
        for name, path in files:
            with open(path, "rb") as f:
                data = f.read()
            wheel.writestr(zipfile.ZipInfo.from_file(path, name), data, zipfile.ZIP_DEFLATED)
            record.write(_record_line(name, data))
        for name, text in (("METADATA", _metadata()), ("WHEEL", wheel_text)):
            data = text.encode()
            wheel.writestr(info + "/" + name, data)
            record.write(_record_line(info + "/" + name, data))
        record.write(info + "/RECORD,,\n")
        wheel.writestr(info + "/RECORD", record.getvalue())
    os.replace(partial, target)
    return filename
