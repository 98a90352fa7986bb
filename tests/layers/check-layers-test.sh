#!/usr/bin/env bash
# Checks that scripts/check-layers.sh catches each rule it is there for: it
# is given small trees holding one crossing include each and must refuse every
# one, and accept a tree whose includes all point down.
# Usage: tests/layers/check-layers-test.sh REPO_DIR
set -euo pipefail
repo=${1:?usage: check-layers-test.sh REPO_DIR}
check="$repo/scripts/check-layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# tree NAME FILE INCLUDE: a tree with one source file holding one include.
tree() {
    local dir="$work/$1"
    mkdir -p "$dir/game" "$dir/$(dirname "$2")"
    printf '#include "%s"\n' "$3" > "$dir/$2"
    echo "$dir"
}

failures=0
expect() {
    local want=$1 name=$2 file=$3 include=$4 status=0
    "$check" "$(tree "$name" "$file" "$include")" > /dev/null 2>&1 || status=$?
    if [ "$status" != "$want" ]; then
        echo "FAIL: $file including $include: exit $status, expected $want"
        failures=$((failures + 1))
    fi
}

expect 1 net-ai net/Client.cpp ai/Pilot.h
expect 1 net-server net/Client.cpp server/session/Server.h
expect 1 session-gfx session/SessionServer.cpp gfx/Text.h
expect 1 session-net session/SessionClient.cpp net/Message.h
expect 1 platform-session platform/Files.cpp session/SessionWire.h
expect 1 game-server game/World.cpp server/session/WorldReports.h
expect 1 client-server client/ClientMain.cpp server/ServerLoop.h
expect 1 tools-client tools/probe/main.cpp client/Input.h
expect 1 server-sdl server/ServerMain.cpp platform/sdl/Window.h
expect 0 net-session net/Client.cpp session/SessionClient.h
expect 0 server-ai server/session/BotRoster.h ai/Pilot.h
expect 0 tools-net tools/probe/main.cpp net/Client.h

if [ "$failures" != 0 ]; then
    echo "check-layers-test: $failures rule(s) not enforced" >&2
    exit 1
fi
echo "check-layers-test: every rule refuses its crossing include"
