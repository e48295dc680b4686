#!/usr/bin/env bash
# The main job on a fresh machine: installs what writing needs, builds the
# library and the vireo command only (no tests, windows or benchmark), writes
# the example claims to out/professional-claims.837 and checks them against the
# implementation guide.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=build-sample
OUT=out/professional-claims.837

echo "== packages"
scripts/packages.sh build
echo "== build (library and command, into $BUILD_DIR/)"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVIREO_BUILD_TESTS=OFF -DVIREO_BUILD_UI=OFF -DVIREO_BUILD_BENCH=OFF -DVIREO_BUILD_PYTHON=OFF > /dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target vireo

echo "== write"
mkdir -p out
"$BUILD_DIR/tools/vireo" run examples/professional-claims.json -o "$OUT" > /dev/null

# A short summary of what was written: segments, claims and transaction sets, bytes.
segments=$(grep -c '' "$OUT")
claims=$(grep -c '^CLM\*' "$OUT" || true)
transactions=$(grep -c '^ST\*' "$OUT" || true)
bytes=$(wc -c < "$OUT")
echo "wrote $OUT: $segments segments, $claims claims in $transactions transaction set(s), $bytes bytes"

echo "== check against the implementation guide"
"$BUILD_DIR/tools/vireo" check "$OUT"
echo "(the vireo command is $BUILD_DIR/tools/vireo; 'vireo help' lists what it does)"
