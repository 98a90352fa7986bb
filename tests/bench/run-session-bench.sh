#!/usr/bin/env bash
# Runs the session benchmark inside a fresh network namespace whose loopback
# has a 1500-byte MTU, as on a LAN. Needs root (unshare -n).
# Usage: tests/bench/run-session-bench.sh PATH/TO/session_bench [options]
set -euo pipefail
if [ $# -lt 1 ] || [ "$1" = "--help" ]; then
    echo "Usage: $0 PATH/TO/session_bench [--seconds S] [--repeats N]"
    exit 0
fi
bench=$(realpath "$1"); shift
exec unshare -n bash -c 'ip link set lo mtu 1500 up && exec "$0" "$@"' "$bench" "$@"
