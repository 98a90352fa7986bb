#!/usr/bin/env bash
# Installs what is missing, builds Quorvex with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test. Exits non-zero on any
# failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

echo "== Building with sanitizers (build-check/)"
cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_SANITIZE=ON > /dev/null
cmake --build build-check

echo "== Running the tests"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
ctest --test-dir build-check --output-on-failure --timeout 600 -j "$(nproc)"
echo "== All tests passed"
