#!/usr/bin/env bash
# Installs the Debian packages of the named groups that are not installed yet.
# Usage: scripts/packages.sh GROUP...   (groups: build tests windows fuzz python bench)
#
# Each package is there for a reason:
#   build    cmake, ninja-build, g++    the build
#            nlohmann-json3-dev         reading scripts and writing JSON in the vireo command
#            libcli11-dev               the vireo command's options, help and usage errors
#            libsimdjson-dev            parsing the steps of vireo run scripts at the speed of the writer
#   tests    libgtest-dev               the test suite (GoogleTest)
#            pkg-config                 the installed-package test builds a host with its flags
#            python3                    runs the external 837 validator beside the project, when present
#            dpkg-dev, file             cpack's Debian package reads its dependencies with dpkg-shlibdeps,
#                                       and finds the programs to read them from with file
#   windows  libfltk1.3-dev, fluid      the property page and About box windows (FLTK's CMake
#                                       package refers to fluid, so configuring needs it)
#            libpng-dev                 saving window screenshots
#            xvfb, xauth                running the windows in the tests without a display
#   fuzz     clang, libclang-rt-14-dev  the fuzz targets (libFuzzer)
#   python   python3-dev                the Python headers the module vireo is built against
#            pybind11-dev               the module vireo._vireo itself (pybind11)
#            python3-pytest             the module's tests
#            python3-venv               the install test puts the module into a fresh virtual environment
#   bench    gnuplot-nox                bench/plot.sh draws the benchmark's chart as SVG (no X needed);
#                                       only for regenerating bench/throughput.svg by hand
set -euo pipefail

declare -A GROUPS_OF=(
  [build]="cmake ninja-build g++ nlohmann-json3-dev libcli11-dev libsimdjson-dev"
  [tests]="libgtest-dev pkg-config python3 dpkg-dev file"
  [windows]="libfltk1.3-dev fluid libpng-dev xvfb xauth"
  [fuzz]="clang libclang-rt-14-dev"
  [python]="python3-dev pybind11-dev python3-pytest python3-venv"
  [bench]="gnuplot-nox"
)

wanted=()
for group in "$@"; do
  [ -n "${GROUPS_OF[$group]:-}" ] || { echo "packages.sh: no package group \"$group\" (groups: ${!GROUPS_OF[*]})" >&2; exit 2; }
  read -r -a list <<< "${GROUPS_OF[$group]}"
  wanted+=("${list[@]}")
done

missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "packages.sh: run as root or install sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
