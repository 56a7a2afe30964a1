#!/usr/bin/env bash
# Builds the parsers' tests (composer, legal checks, spreadsheet reading)
# with AddressSanitizer and UndefinedBehaviorSanitizer into ./build-asan and runs them. These
# are the rooms that parse stored and imported data, where memory faults would hide; the
# window tests run in the normal build. Any sanitizer finding fails its test.
# Usage: scripts/test-sanitize.sh [all]   ("all" builds and runs the whole suite instead)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
dir=build-asan
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKAVRI_SANITIZE=ON -DKAVRI_BUILD_BENCHMARKS=OFF
fi
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The PostgreSQL tests need a server cluster and measure the server more than the program:
# they run in the plain build only.
export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = all ]; then
    cmake --build "$dir" -j2
    ctest --test-dir "$dir" --output-on-failure -j2 -LE "load|postgres"
    exit 0
fi
# The parsers of stored and imported text: the composer, the legal checks and the spreadsheet
# readers. The store's statement building is fuzzed by scripts/fuzz.sh instead.
cmake --build "$dir" -j2 --target compose_tests legal_tests batch_read_test
# Only the tests of the targets built above: CTest lists the others as "<name>_NOT_BUILT".
for area in compose legal batch; do
    ctest --test-dir "$dir/tests/$area" --output-on-failure -j2 -LE postgres -E '_NOT_BUILT$'
done
