#!/usr/bin/env bash
# Sets up everything and runs the whole test suite, then checks it again the
# hard way:
#   build-tsan  the threading tests under ThreadSanitizer;
#   build-fuzz  the fuzz targets (clang, libFuzzer): every kept input replayed,
#               then VIREO_FUZZ_SECONDS (default 20 here) of fuzzing per target;
#               longer campaigns run by hand with a larger value;
#   build-asan  the whole suite under AddressSanitizer and UndefinedBehaviorSanitizer,
#               except the comparison with the external validator: its verdicts
#               do not depend on the build, and the checker it exercises is
#               covered under the sanitizers by its own tests and fuzz target.
# The sanitizer suite runs last so that the last lines printed are the summary
# of the full test count. VIREO_QUICK=1 stops after the normal suite.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="$(nproc)"
FUZZ_SECONDS="${VIREO_FUZZ_SECONDS:-20}"
stage() { printf '\n==== %s (%s)\n' "$1" "$(date +%T)"; }

stage "build and test"
scripts/setup.sh build
ctest --test-dir build --output-on-failure --timeout 600 --parallel "$JOBS"
[ "${VIREO_QUICK:-0}" = 1 ] && exit 0

# Sanitizer reports end the test that caused them; leaks inside system
# libraries that vireo does not own are listed in scripts/lsan.supp.
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

stage "threads under ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIREO_SANITIZE=thread \
  -DVIREO_BUILD_UI=OFF -DVIREO_BUILD_BENCH=OFF -DVIREO_BUILD_PYTHON=OFF
cmake --build build-tsan --parallel "$JOBS" --target thread_tests
ctest --test-dir build-tsan -R '^Threads\.' --output-on-failure --timeout 600 --parallel "$JOBS" --no-tests=error

stage "fuzz targets: corpus replay and ${FUZZ_SECONDS} s of fuzzing each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIREO_FUZZ=ON \
  -DVIREO_FUZZ_SECONDS="$FUZZ_SECONDS" -DVIREO_SANITIZE=address,undefined \
  -DVIREO_BUILD_TESTS=OFF -DVIREO_BUILD_UI=OFF -DVIREO_BUILD_BENCH=OFF -DVIREO_BUILD_PYTHON=OFF
cmake --build build-fuzz --parallel "$JOBS" --target fuzz_targets
ctest --test-dir build-fuzz/fuzz --output-on-failure --timeout 600 --parallel "$JOBS" --no-tests=error

stage "whole suite under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIREO_SANITIZE=address,undefined \
  -DVIREO_BUILD_BENCH=OFF -DVIREO_BUILD_PYTHON=ON
cmake --build build-asan --parallel "$JOBS"
ctest --test-dir build-asan --output-on-failure --timeout 600 --parallel "$JOBS" -E '^Differential\.'
