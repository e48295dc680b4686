#!/usr/bin/env bash
# A developer's setup: installs every package the project uses (only those
# missing), then configures and builds everything: library, command, windows,
# tests and benchmark. Usage: scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/packages.sh build tests windows fuzz

BUILD_DIR="${1:-build}"
shift || true
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$BUILD_DIR" --parallel "$(nproc)"
