#!/usr/bin/env bash
# A developer's setup: installs every package the project uses (only those
# missing), then configures and builds everything: library, command, windows,
# Python module, tests and benchmark. Usage: scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/packages.sh build tests windows fuzz python

BUILD_DIR="${1:-build}"
shift || true
# The Python module is asked for, so that a missing package stops the build
# instead of leaving its tests out.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIREO_BUILD_PYTHON=ON "$@"
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
