#!/usr/bin/env bash
# Plays Quorvex in one command: installs what is missing, builds (Release,
# incrementally, in build/) and starts a game.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: ./play.sh [SERVER OPTIONS]
       ./play.sh --server [SERVER OPTIONS]
       ./play.sh --help

Installs the Debian packages Quorvex needs (scripts/install-deps.sh build; asks
for root through sudo when something is missing), builds the game in build/
(Release, only what changed) and starts it:

  with a display (DISPLAY or WAYLAND_DISPLAY set)
      starts a game server of its own in the background on a free UDP port
      (3001 when it is free), with computer pilots keeping three ships in
      play (-bots 3; give -bots N to change that), and the game,
      QuorvexClient, connected to it, so you are in a game at once. When you quit the game (F9, or Quit in the
      main menu), that server is stopped too; its log stays in
      build/play-server.log. Ctrl+C stops both.
  without a display
      runs the dedicated server, QuorvexServer, in the foreground on UDP port
      3001 until Ctrl+C, as `./play.sh --server` does.

  --server     only run the dedicated server in the foreground, even with a
               display; the other players join it from their own machines
  --help       this text

SERVER OPTIONS go to QuorvexServer unchanged: `./play.sh -name Arena` names the
session, `./play.sh --server -port 3002` hosts on another port (with a display
the port is the script's choice), `./play.sh -help` lists them all.

Environment:
  QUORVEX_BUILD_DIR=DIR   take the programs from DIR, an already configured
                          build folder, instead of build/; only the programs
                          are built there, its configuration is left alone
  QUORVEX_PLAY_NO_BUILD=1 neither install nor build: use the programs as they
                          are (the tests set this with QUORVEX_BUILD_DIR)
EOF
}

server_only=0
case "${1:-}" in
    -h|--help) usage; exit 0 ;;
    --server) server_only=1; shift ;;
esac

build_dir=build
if [ -n "${QUORVEX_BUILD_DIR:-}" ]; then
    build_dir=$(cd "$QUORVEX_BUILD_DIR" 2>/dev/null && pwd) ||
        { echo "play.sh: QUORVEX_BUILD_DIR names no folder: $QUORVEX_BUILD_DIR" >&2; exit 1; }
fi
cd "$(dirname "$0")"
server="$build_dir/QuorvexServer"
client="$build_dir/QuorvexClient"

build() {
    if [ "${QUORVEX_PLAY_NO_BUILD:-0}" = 1 ]; then
        return
    fi
    scripts/install-deps.sh build
    if [ -n "${QUORVEX_BUILD_DIR:-}" ]; then
        echo "== Building the game in $build_dir/"
        cmake --build "$build_dir" --target QuorvexServer QuorvexClient
        return
    fi
    echo "== Building the game in build/ (the first time takes a few minutes)"
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVEX_TESTS=OFF > /dev/null
    cmake --build build
}

build
if [ ! -x "$server" ]; then
    echo "play.sh: $server is missing; build it (run ./play.sh without QUORVEX_PLAY_NO_BUILD) or set QUORVEX_BUILD_DIR to a build folder that holds it." >&2
    exit 1
fi
if [ "$server_only" = 1 ] || [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$server" "$@"
fi
if [ ! -x "$client" ]; then
    echo "play.sh: $client is missing: the game is built only when SDL2 and OpenGL's development files are installed (scripts/install-deps.sh build). To host without playing, run ./play.sh --server." >&2
    exit 1
fi

server_log="$build_dir/play-server.log"
server_pid=""
client_pid=""

# Asks a program to stop and waits for it; after 10 seconds it is killed.
stop() {
    local pid="$1"
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

finish() {
    trap - INT TERM EXIT
    stop "$client_pid"
    if [ -n "$server_pid" ]; then
        stop "$server_pid"
        echo "Server log: $server_log"
    fi
}
trap finish EXIT
trap 'finish; exit 130' INT
trap 'finish; exit 143' TERM

# 0 when the server started in the background hosts its session, 1 when its
# port is taken (it has then exited), 2 when it ended for another reason.
watch_server_start() {
    for _ in $(seq 300); do
        # The server prints its first log lines together, the complaint about
        # a taken port among them, so the first line settles it.
        # Alive first, then the log: a server that prints its complaint and
        # exits between the two looks is then still read as refused.
        local alive=1
        kill -0 "$server_pid" 2>/dev/null || alive=0
        if grep -qs "^Console: " "$server_log"; then
            if grep -q "is another server using it?" "$server_log"; then
                wait "$server_pid" 2>/dev/null || true
                return 1
            fi
            return 0
        fi
        [ "$alive" = 1 ] || return 2
        sleep 0.1
    done
    echo "play.sh: the server has not come up after 30 seconds; see $server_log." >&2
    return 2
}

# Tries 3001, then a few neighbours, then a few random high ports.
start_server() {
    local port status
    for port in 3001 3002 3003 3004 3005 3006 $((20000 + RANDOM % 40000)) $((20000 + RANDOM % 40000)); do
        "$server" "$@" -port "$port" > "$server_log" 2>&1 &
        server_pid=$!
        status=0
        watch_server_start || status=$?
        case "$status" in
            0) server_port="$port"; return 0 ;;
            1) server_pid=""; echo "UDP port $port is in use; trying another." ;;
            *)
                if kill -0 "$server_pid" 2>/dev/null; then
                    stop "$server_pid"
                    status=1
                else
                    wait "$server_pid" 2>/dev/null && status=0 || status=$?
                fi
                server_pid=""
                cat "$server_log"
                [ "$status" = 0 ] && exit 0 # e.g. -help or -dumpcfg
                echo "play.sh: the server ended with status $status before it served; its log is above and in $server_log." >&2
                exit 1 ;;
        esac
    done
    echo "play.sh: no free UDP port found for the server; see $server_log, or stop the other servers." >&2
    exit 1
}

echo "== Starting a local server (log: $server_log)"
# Opponents at once; a -bots among the player's own options comes later and wins.
start_server -bots 3 "$@"
echo "== Server up on UDP port $server_port; starting the game (F9 quits)"
"$client" --connect 127.0.0.1 --port "$server_port" &
client_pid=$!
client_status=0
wait "$client_pid" || client_status=$?
client_pid=""
exit "$client_status"
