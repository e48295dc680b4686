#!/usr/bin/env bash
# Sets up everything and writes the sample 837 file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build > /dev/null
mkdir -p out
build/tools/vireo sample -o out/sample.837
