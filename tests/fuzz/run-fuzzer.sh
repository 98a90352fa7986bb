#!/usr/bin/env bash
# Runs one libFuzzer target briefly from its seed corpus. New inputs go to a
# scratch folder, so the committed seeds are never changed by a test run.
# Usage: run-fuzzer.sh FUZZER SEED_DIR SECONDS
set -euo pipefail
if [ $# -ne 3 ]; then
    echo "Usage: $0 FUZZER SEED_DIR SECONDS" >&2
    exit 2
fi
fuzzer=$1 seeds=$2 seconds=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo "Fuzzing $(basename "$fuzzer") for ${seconds}s from $seeds"
"$fuzzer" "$scratch" "$seeds" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$scratch/" 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
    for crash in "$scratch"/crash-* "$scratch"/leak-* "$scratch"/timeout-* "$scratch"/oom-*; do
        [ -e "$crash" ] && { echo "Failing input ($crash):"; od -An -tx1 "$crash" | head -20; }
    done
fi
exit "$status"
