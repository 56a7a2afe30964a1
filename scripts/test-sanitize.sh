#!/usr/bin/env bash
# Builds the whole tree with AddressSanitizer and UndefinedBehaviorSanitizer into ./build-asan
# (no benchmarks) and runs the test suite there. Any sanitizer finding fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh build-asan -DKAVRI_SANITIZE=ON -DKAVRI_BUILD_BENCHMARKS=OFF
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The load test measures the server, not the program: it runs in the plain build only.
QT_QPA_PLATFORM=offscreen ctest --test-dir build-asan --output-on-failure -j2 -LE load
