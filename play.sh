#!/usr/bin/env bash
# Installs what is missing, builds Quorvex (incrementally) and starts a game
# server on UDP port 3001 with the shipped maps. Options are passed to
# QuorvexServer (try ./play.sh -help).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEX_TESTS=OFF > /dev/null
cmake --build build
exec build/QuorvexServer "$@"
