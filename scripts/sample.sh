#!/usr/bin/env bash
# The main job on a fresh machine: installs what writing needs, builds the
# library and the vireo command only (no tests, windows or benchmark), writes
# the example claims in 4010 to out/professional-claims.837 and in 5010 to
# out/professional-claims-5010.837, and checks each against its implementation
# guide.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=build-sample

echo "== packages"
scripts/packages.sh build
echo "== build (library and command, into $BUILD_DIR/)"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVIREO_BUILD_TESTS=OFF -DVIREO_BUILD_UI=OFF -DVIREO_BUILD_BENCH=OFF -DVIREO_BUILD_PYTHON=OFF > /dev/null
cmake --build "$BUILD_DIR" --parallel "$(nproc)" --target vireo

echo "== write"
mkdir -p out
for example in professional-claims professional-claims-5010; do
  out="out/$example.837"
  "$BUILD_DIR/tools/vireo" run "examples/$example.json" -o "$out" > /dev/null
  # A short summary of what was written: segments, claims and transaction sets, bytes.
  segments=$(grep -c '' "$out")
  claims=$(grep -c '^CLM\*' "$out" || true)
  transactions=$(grep -c '^ST\*' "$out" || true)
  bytes=$(wc -c < "$out")
  version=$(grep -o '^GS\*[^~]*' "$out" | awk -F'*' '{print $9}')
  echo "wrote $out ($version): $segments segments, $claims claims in $transactions transaction set(s), $bytes bytes"
done

echo "== check against the implementation guides"
"$BUILD_DIR/tools/vireo" check out/professional-claims.837 out/professional-claims-5010.837
echo "(the vireo command is $BUILD_DIR/tools/vireo; 'vireo help' lists what it does)"
