#!/usr/bin/env bash
# Builds the data rooms' tests (composer, store, legal, register, batch)
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
cmake --build "$dir" -j2 --target kavri_library_file kavri-cli compose_tests store_tests \
    library-probe legal_tests register_tests register_issue_helper batch_read_test batch_write_test \
    batch_dialog_test batch_cli_test
for area in compose store legal register batch; do
    ctest --test-dir "$dir/tests/$area" --output-on-failure -j2 -LE postgres
done
