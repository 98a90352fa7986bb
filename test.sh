#!/usr/bin/env bash
# Installs what is missing, builds Quorvex with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test. Exits non-zero on any
# failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

echo "== Building with sanitizers (build-check/)"
cmake -S . -B build-check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVEX_SANITIZE=ON -DQUORVEX_BENCH=ON > /dev/null
cmake --build build-check

echo "== Running the tests"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
ctest --test-dir build-check --output-on-failure --timeout 600 -j "$(nproc)"

echo "== Building the fuzz targets with clang (build-fuzz/)"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DQUORVEX_FUZZ=ON -DQUORVEX_TESTS=OFF > /dev/null
cmake --build build-fuzz --target fuzzers

echo "== Fuzzing each target briefly"
ctest --test-dir build-fuzz --output-on-failure --timeout 600 -L fuzz
echo "== All tests passed"
