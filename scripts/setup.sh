#!/usr/bin/env bash
# Installs the Debian packages vireo needs (only those missing), then configures
# and builds. Usage: scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

# Each package is there for a reason:
#   cmake, ninja-build, g++   the build
#   libgtest-dev              the test suite (GoogleTest)
#   nlohmann-json3-dev        reading scripts and writing JSON in the vireo command
#   libfltk1.3-dev            the property page and About box windows
#   xvfb, xauth               running those windows in the tests without a display
#   libpng-dev                saving window screenshots from the tests
#   clang, libclang-rt-14-dev the fuzz targets (libFuzzer)
PACKAGES=(cmake ninja-build g++ libgtest-dev nlohmann-json3-dev libfltk1.3-dev xvfb xauth libpng-dev
          clang libclang-rt-14-dev)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

BUILD_DIR="${1:-build}"
shift || true
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
