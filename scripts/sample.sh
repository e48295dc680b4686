#!/usr/bin/env bash
# Sets up everything and writes the example 837 Professional file from its script.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build > /dev/null
mkdir -p out
build/tools/vireo run examples/professional-claims.json -o out/professional-claims.837 > /dev/null
echo "wrote out/professional-claims.837"
