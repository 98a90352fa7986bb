#!/usr/bin/env bash
# The one-command start, ./play.sh, as a player meets it: on a display it
# puts the player in a game on a server of its own and stops that server (and
# only that one) when the game ends, by F9, by SIGTERM to the script or by
# Ctrl+C in its terminal; without a display it is the dedicated server in the
# foreground. The programs are the already built ones of a test build.
#
# Must run where only loopback exists (CTest runs it under `unshare -n` with
# lo up, which takes root), so nothing it starts talks to a real network.
set -uo pipefail

usage() {
    cat <<'EOF'
Usage: play-script-test.sh SOURCE_DIR BUILD_DIR
Tests SOURCE_DIR/play.sh with the programs already built in BUILD_DIR (it
builds nothing). Needs Xvfb and xdotool, and a private network namespace with
only loopback: run it through ctest (-R e2e_play_script), or as root with
  unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' play-script-test.sh SOURCE_DIR BUILD_DIR
EOF
}

case "${1:-}" in -h|--help) usage; exit 0 ;; esac
[ $# -eq 2 ] || { usage >&2; exit 2; }
source_dir=$(cd "$1" && pwd)
build_dir=$(cd "$2" && pwd)
play="$source_dir/play.sh"
# within, only_loopback, start_xvfb
source "$source_dir/scripts/lib/xvfb.sh"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "ok: $*"; }

if ! only_loopback; then
    echo "play-script-test: this machine has network interfaces besides loopback; run the test where only" >&2
    echo "loopback exists (ctest does it with unshare -n, as root)." >&2
    exit 1
fi
for tool in Xvfb xdotool; do
    command -v "$tool" > /dev/null || { echo "play-script-test: $tool is missing (scripts/install-deps.sh test)" >&2; exit 1; }
done
for program in QuorvexServer QuorvexClient; do
    [ -x "$build_dir/$program" ] || { echo "play-script-test: $build_dir/$program is not built" >&2; exit 1; }
done

# Job control puts every background command in a process group of its own
# and leaves its SIGINT alone, so a test can press "Ctrl+C" on one group.
set -m

scratch=$(mktemp -d)
xvfb_pid=""
blocker_pid=""
play_pid=""
cleanup() {
    for pid in $play_pid $blocker_pid $xvfb_pid; do
        kill -TERM "$pid" 2> /dev/null && wait "$pid" 2> /dev/null
    done
    rm -rf "$scratch"
}
trap cleanup EXIT

alive() { [ -d "/proc/$1" ] && ! grep -q '^State:.*Z' "/proc/$1/status" 2> /dev/null; }
ended() { ! alive "$1"; }
in_file() { grep -qF -- "$2" "$1" 2> /dev/null; }
server_log_says() { in_file "$build_dir/play-server.log" "$1"; }

# "PID NAME" of each child of process $1, read from /proc (stat's fourth
# field, after the parenthesised name, is the parent's PID).
children() {
    local file line pid comm fields
    for file in /proc/[0-9]*/stat; do
        read -r line 2> /dev/null < "$file" || continue
        read -r -a fields <<< "${line##*) }"
        [ "${fields[1]:-}" = "$1" ] || continue
        pid=${file#/proc/}
        pid=${pid%/stat}
        read -r comm 2> /dev/null < "/proc/$pid/comm" || continue
        echo "$pid $comm"
    done
}

echo "== play.sh --help"
if "$play" --help > "$scratch/help.out" 2>&1; then
    grep -q -- "--server" "$scratch/help.out" && pass "--help exits 0 and explains --server" ||
        fail "--help does not mention --server"
    grep -q "QUORVEX_PLAY_NO_BUILD" "$scratch/help.out" ||
        fail "--help does not explain QUORVEX_PLAY_NO_BUILD"
else
    fail "--help exited with a failure status"
fi

echo "== starting Xvfb"
start_xvfb "$scratch" || exit 1
display=$xvfb_display

# A server already on 3001 (the port play.sh tries first) makes it look for
# another, and must outlive the game play.sh runs.
echo "== a server of someone else's on UDP port 3001"
QUORVEX_DATA="$source_dir/data" "$build_dir/QuorvexServer" -name Blocker -port 3001 > "$scratch/blocker.log" 2>&1 &
blocker_pid=$!
within 30 in_file "$scratch/blocker.log" "Loading map" || fail "the blocking server did not start: $(cat "$scratch/blocker.log")"

# Starts play.sh on the display with a fresh settings folder; its output
# goes to $scratch/$1.out.
start_play_with_display() {
    rm -f "$build_dir/play-server.log"
    mkdir -p "$scratch/config-$1"
    env -u WAYLAND_DISPLAY DISPLAY="$display" XDG_CONFIG_HOME="$scratch/config-$1" LIBGL_ALWAYS_SOFTWARE=1 \
        ASAN_OPTIONS=detect_leaks=0 QUORVEX_PLAY_NO_BUILD=1 QUORVEX_BUILD_DIR="$build_dir" \
        "$play" > "$scratch/$1.out" 2>&1 &
    play_pid=$!
}

# Waits for the player to join; sets server_pid and client_pid from the
# children of play.sh.
wait_for_game() {
    server_pid=""
    client_pid=""
    if ! within 90 server_log_says "Console: Player has joined the game."; then
        fail "$1: the client did not join play.sh's server; play.sh said: $(cat "$scratch/$1.out")"
        return 1
    fi
    pass "$1: the client came up connected (the server logged the join)"
    while read -r pid name; do
        case "$name" in
            QuorvexServer) server_pid="$pid" ;;
            QuorvexClient) client_pid="$pid" ;;
        esac
    done < <(children "$play_pid")
    [ -n "$server_pid" ] && [ -n "$client_pid" ] ||
        fail "$1: play.sh's children are not a server and a client: $(children "$play_pid" | tr '\n' ' ')"
}

# play.sh has ended with status $2, leaving nothing behind.
check_ended() {
    local what="$1" expected="$2" status=0
    if ! within 60 ended "$play_pid"; then
        fail "$what: play.sh did not end"
        return
    fi
    wait "$play_pid" || status=$?
    play_pid=""
    [ "$status" = "$expected" ] && pass "$what: play.sh ended with status $status" ||
        fail "$what: play.sh ended with status $status, not $expected; it said: $(cat "$scratch/$what.out")"
    for pid in $server_pid $client_pid; do
        alive "$pid" && fail "$what: process $pid ($(cat "/proc/$pid/comm" 2> /dev/null)) is still running"
    done
    [ -n "$server_pid" ] && ! alive "$server_pid" && pass "$what: the server play.sh started has stopped"
    in_file "$scratch/$what.out" "Server log: $build_dir/play-server.log" ||
        fail "$what: play.sh did not name the server log; it said: $(cat "$scratch/$what.out")"
    alive "$blocker_pid" || fail "$what: play.sh stopped a server it had not started"
}

echo "== play.sh with a display, quit with F9"
start_play_with_display f9
if wait_for_game f9; then
    within 30 server_log_says "[bot] has joined the game." &&
        pass "f9: computer pilots joined the local game" || fail "f9: no bot joined play.sh's server"
    in_file "$scratch/f9.out" "port 3001 is in use" && ! in_file "$scratch/f9.out" "on UDP port 3001;" &&
        pass "f9: play.sh left port 3001 to the server already there" ||
        fail "f9: play.sh did not look past the taken port 3001: $(cat "$scratch/f9.out")"
    # F9 quits from every screen; pressed again in case the first press came
    # before the window had the keyboard.
    for _ in $(seq 10); do
        DISPLAY="$display" xdotool key F9 > /dev/null 2>&1
        within 5 ended "$client_pid" && break
    done
    ended "$client_pid" || fail "f9: the client did not quit on F9"
    check_ended f9 0
    server_log_says "Console: Player has left the game" || fail "f9: the server did not see the player leave"
fi

echo "== play.sh with a display, stopped with SIGTERM"
start_play_with_display term
if wait_for_game term; then
    kill -TERM "$play_pid"
    check_ended term 143
fi

echo "== play.sh with a display, Ctrl+C in its terminal (SIGINT to its process group)"
start_play_with_display ctrl-c
if wait_for_game ctrl-c; then
    kill -INT -- "-$play_pid"
    check_ended ctrl-c 130
fi

kill -TERM "$blocker_pid" && wait "$blocker_pid"
blocker_pid=""

# Without a display play.sh becomes the server (exec), so its PID is the
# server's: SIGINT and SIGTERM end it cleanly with status 0.
for signal in INT TERM; do
    echo "== play.sh without a display, stopped with SIG$signal"
    env -u DISPLAY -u WAYLAND_DISPLAY QUORVEX_PLAY_NO_BUILD=1 QUORVEX_BUILD_DIR="$build_dir" \
        "$play" -name Dedicated > "$scratch/no-display.out" 2>&1 &
    play_pid=$!
    if within 30 in_file "$scratch/no-display.out" "Console: starting up server"; then
        pass "SIG$signal: without a display the server runs in the foreground"
        [ "$(cat "/proc/$play_pid/comm" 2> /dev/null)" = QuorvexServer ] ||
            fail "SIG$signal: play.sh is not the server itself"
        in_file "$scratch/no-display.out" "Unable to host" &&
            fail "SIG$signal: the server could not host on UDP port 3001"
        kill "-$signal" "$play_pid"
        status=0
        within 30 ended "$play_pid" || fail "SIG$signal: the server did not stop"
        wait "$play_pid" || status=$?
        play_pid=""
        [ "$status" = 0 ] && pass "SIG$signal: the server ended with status 0" ||
            fail "SIG$signal: the server ended with status $status: $(cat "$scratch/no-display.out")"
    else
        fail "SIG$signal: without a display no server started; play.sh said: $(cat "$scratch/no-display.out")"
    fi
done

echo "== play.sh --server with a display runs only the server"
env DISPLAY="$display" QUORVEX_PLAY_NO_BUILD=1 QUORVEX_BUILD_DIR="$build_dir" \
    "$play" --server -port 3005 > "$scratch/server-only.out" 2>&1 &
play_pid=$!
if within 30 in_file "$scratch/server-only.out" "Console: starting up server"; then
    [ "$(cat "/proc/$play_pid/comm" 2> /dev/null)" = QuorvexServer ] && [ -z "$(children "$play_pid")" ] &&
        pass "--server: the server alone, in the foreground" || fail "--server: more than the server started"
    sleep 1
    in_file "$scratch/server-only.out" "[bot]" && fail "--server: bots joined a server started without -bots"
    kill -TERM "$play_pid"
    within 30 ended "$play_pid" || fail "--server: the server did not stop"
    wait "$play_pid" || fail "--server: the server ended with a failure status"
    play_pid=""
else
    fail "--server: no server started; play.sh said: $(cat "$scratch/server-only.out")"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "All play.sh checks passed"
