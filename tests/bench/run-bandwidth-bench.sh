#!/usr/bin/env bash
# Measures what the server sends to its clients: for each bot count it starts a
# real QuorvexServer on a loopback port, lets QuorvexProbe bots thrust and fire
# on it for a while, and prints the bytes and datagrams per second each client
# received and what the server sent in all; with --netns also the bytes on the
# wire, read from the loopback counters of a private network namespace.
set -euo pipefail

usage() {
    cat << 'EOF'
Usage: tests/bench/run-bandwidth-bench.sh [options]

Starts QuorvexServer on 127.0.0.1, runs `QuorvexProbe --bots N --join --keys 9,11`
against it for each N (thrusting and firing, so there are objects to report) and
prints one table row per N:

  bots         the number of clients
  rate         the server's send rate (--sendrate), or "default"
  client B/s   game bytes per second one client received (the BOT lines' bytes=,
               the packets' payload; ENet, UDP and IP headers not counted)
  total B/s    client B/s × bots: what the server sent in all
  client dg/s  UDP datagrams per second one client received (datagrams=, the
               session's own acknowledgements and pings included)
  B/dg         game bytes per datagram
  client msg/s game messages per second one client received
  wire B/s     with --netns: bytes per second on the wire for one client, both
               ways (the server's datagrams to it and its own to the server:
               keys, acknowledgements, pings), IP and UDP headers included
  wire dg/s    with --netns: datagrams per second on the wire for one client,
               both ways

Options:
  --bots "N ..."        bot counts to run, one server each (default "4 8 16")
  --duration MS         how long the bots play per run (default 5000)
  --sendrate HZ         start the server with -sendrate HZ (a server that does not
                        know the option ignores it; the script says so)
  --server-args "..."   more server options, e.g. "-stats 1"; lines the server prints
                        besides its usual console lines are shown after each run
  --keys LIST           the action codes the bots hold (default 9,11)
  --port N|auto         the server's UDP port (default 3101; auto tries free ones)
  --build-dir DIR       where QuorvexServer and QuorvexProbe are (default build/)
  --data DIR            the data folder with the maps (default the repository's data/)
  --keep DIR            keep the configuration, server logs and probe output in DIR
  --netns               run everything in a private network namespace of its own
                        (unshare; no root needed where user namespaces are allowed)
                        and add the wire columns: nothing else uses its loopback,
                        so its counters (/proc/net/dev) are this run's traffic
  --help                show this text

For figures use a Release build without sanitizers:
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
  cmake --build build --target QuorvexServer QuorvexProbe
  tests/bench/run-bandwidth-bench.sh --bots "4 8 16" --netns
EOF
}

die() {
    echo "run-bandwidth-bench: $*" >&2
    exit 1
}

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
bot_counts="4 8 16"
duration_ms=5000
sendrate=""
server_args=""
keys="9,11"
port=3101
build_dir="$source_dir/build"
data_dir="$source_dir/data"
keep_dir=""
netns=0
original_args=("$@")

while [ $# -gt 0 ]; do
    case "$1" in
        --help | -h)
            usage
            exit 0
            ;;
        --netns)
            netns=1
            shift
            ;;
        --bots | --duration | --sendrate | --server-args | --keys | --port | --build-dir | --data | --keep)
            [ $# -ge 2 ] || die "$1 needs a value; see --help."
            case "$1" in
                --bots) bot_counts="$2" ;;
                --duration) duration_ms="$2" ;;
                --sendrate) sendrate="$2" ;;
                --server-args) server_args="$2" ;;
                --keys) keys="$2" ;;
                --port) port="$2" ;;
                --build-dir) build_dir="$2" ;;
                --data) data_dir="$2" ;;
                --keep) keep_dir="$2" ;;
            esac
            shift 2
            ;;
        *) die "unknown option \"$1\"; see --help." ;;
    esac
done

# --netns: start again inside a new network namespace with only loopback, up.
# Root needs only a network namespace; anyone else maps themselves to root in a
# user namespace first.
if [ "$netns" = 1 ] && [ -z "${QUORVEX_BENCH_IN_NETNS:-}" ]; then
    command -v unshare > /dev/null || die "--netns needs unshare (util-linux)."
    command -v ip > /dev/null || die "--netns needs ip (iproute2) to bring up the namespace's loopback."
    unshare_args=(-n)
    [ "$(id -u)" = 0 ] || unshare_args=(-r -n)
    # shellcheck disable=SC2016 # "$0" and "$@" are the inner shell's
    QUORVEX_BENCH_IN_NETNS=1 exec unshare "${unshare_args[@]}" bash -c 'ip link set lo up && exec "$0" "$@"' \
        "${BASH_SOURCE[0]}" "${original_args[@]}" ||
        die "could not make a network namespace (are user namespaces allowed here?); run as root or without --netns."
fi

is_number() { [[ "$1" =~ ^[0-9]+$ ]]; }
for n in $bot_counts; do
    if ! is_number "$n" || [ "$n" -lt 1 ]; then die "bad bot count \"$n\" in --bots; give whole numbers from 1 up."; fi
done
[ -n "${bot_counts// /}" ] || die "--bots is empty; give at least one bot count."
if ! is_number "$duration_ms" || [ "$duration_ms" -lt 100 ]; then
    die "bad --duration \"$duration_ms\"; give milliseconds, 100 or more."
fi
[ -z "$sendrate" ] || is_number "$sendrate" || die "bad --sendrate \"$sendrate\"; give a whole number of sends per second."
[ "$port" = auto ] || { is_number "$port" && [ "$port" -ge 1 ] && [ "$port" -le 65535 ]; } ||
    die "bad --port \"$port\"; give 1 to 65535 or auto."

server="$build_dir/QuorvexServer"
probe="$build_dir/QuorvexProbe"
for program in "$server" "$probe"; do
    [ -x "$program" ] || die "no program at $program; build it (cmake --build $build_dir --target $(basename "$program")) or give --build-dir."
done
[ -d "$data_dir/Maps" ] || die "no Maps folder in $data_dir; give the data folder with --data."

if [ -n "$keep_dir" ]; then
    mkdir -p "$keep_dir" || die "cannot make $keep_dir for --keep."
    work=$(cd "$keep_dir" && pwd)
else
    work=$(mktemp -d)
fi
server_pid=""
probe_pid=""
cleanup() {
    [ -z "$probe_pid" ] || kill "$probe_pid" 2> /dev/null || true
    if [ -n "$server_pid" ]; then
        kill -TERM "$server_pid" 2> /dev/null || true
        wait "$server_pid" 2> /dev/null || true
    fi
    [ -n "$keep_dir" ] || rm -rf "$work"
}
trap cleanup EXIT

# No player limit, and rounds long enough that none ends during a run: a round
# change would pause the traffic being measured.
config="$work/bench.cfg"
printf 'MaxPlayers 0\nDefaultFragLimit 1000000\nDefaultTimeLimit 600\n' > "$config"

rate_args=()
rate_label=default
if [ -n "$sendrate" ]; then
    rate_args=(-sendrate "$sendrate")
    rate_label="${sendrate} Hz"
    # Read whole first: grep -q leaving early would fail the pipe.
    help_text=$("$server" -help 2> /dev/null || true)
    if ! grep -qi -- '-sendrate' <<< "$help_text"; then
        echo "warning: $server does not list -sendrate in its -help; it will ignore the option and send at its default rate." >&2
        rate_label="${sendrate} Hz?"
    fi
fi
read -r -a extra_args <<< "$server_args"

# Starts the server on $1 and waits until it serves; returns 1 if the port is
# taken, and stops the script on any other failure.
start_server() {
    local try_port=$1 log=$2
    : > "$log"
    QUORVEX_DATA="$data_dir" "$server" -loadcfg "$config" "${rate_args[@]}" "${extra_args[@]}" \
        -port "$try_port" > "$log" 2>&1 &
    server_pid=$!
    local waited=0
    while ! grep -q 'Console: starting up server' "$log"; do
        if grep -q 'Unable to host' "$log"; then
            wait "$server_pid" 2> /dev/null || true
            server_pid=""
            return 1
        fi
        if ! kill -0 "$server_pid" 2> /dev/null; then
            cat "$log" >&2
            server_pid=""
            die "the server stopped before it served (its output is above); check --server-args."
        fi
        sleep 0.1
        waited=$((waited + 1))
        if [ $((waited % 50)) -eq 0 ]; then echo "  waiting for the server to start ($((waited / 10)) s)..."; fi
        [ "$waited" -lt 200 ] || die "the server did not start within 20 s; see $log (use --keep DIR to keep it)."
    done
}

stop_server() {
    kill -TERM "$server_pid" 2> /dev/null || true
    wait "$server_pid" 2> /dev/null || true
    server_pid=""
}

# Starts a server for one run, on --port or, with auto, on the first free one
# of a few tried. Sets run_port.
serve() {
    local log=$1 attempt=0
    if [ "$port" != auto ]; then
        start_server "$port" "$log" ||
            die "UDP port $port is taken (is another server running?); give another with --port or use --port auto."
        run_port=$port
        return
    fi
    while [ "$attempt" -lt 8 ]; do
        attempt=$((attempt + 1))
        run_port=$((20000 + RANDOM % 20000))
        start_server "$run_port" "$log" && return
    done
    die "found no free UDP port in 8 tries between 20000 and 40000; give one with --port."
}

# Runs the bots and waits for them, saying how long is left.
run_probe() {
    local bots=$1 out=$2
    "$probe" --port "$run_port" --bots "$bots" --join --keys "$keys" --duration "$duration_ms" > "$out" 2>&1 &
    probe_pid=$!
    local limit=$((duration_ms / 1000 + 30)) started=$SECONDS reported=0
    while kill -0 "$probe_pid" 2> /dev/null; do
        sleep 0.2
        local elapsed=$((SECONDS - started))
        [ "$elapsed" -lt "$limit" ] || die "the probe did not finish within $limit s; see $out (use --keep DIR to keep it)."
        if [ "$elapsed" -ge $((reported + 10)) ]; then
            reported=$elapsed
            echo "    ${elapsed} s of $((duration_ms / 1000)) s..."
        fi
    done
    local status=0
    wait "$probe_pid" || status=$?
    probe_pid=""
    [ "$status" -eq 0 ] || {
        cat "$out" >&2
        die "QuorvexProbe failed with status $status (its output is above)."
    }
}

# The loopback's bytes and datagrams so far: each datagram crosses it once,
# counted with its IP header (loopback has no link header).
loopback_counters() {
    awk '/^ *lo:/ { sub(/^ *lo:/, ""); print $9, $10 }' /proc/net/dev
}

# The table row of one run, from the probe's BOT lines; $3 and $4 are the wire's
# bytes and datagrams in the run, or empty without --netns.
summarise() {
    local bots=$1 out=$2 wire_bytes=${3:-} wire_datagrams=${4:-}
    awk -v bots="$bots" -v seconds="$(awk -v ms="$duration_ms" 'BEGIN { print ms / 1000 }')" -v rate="$rate_label" \
        -v wire_bytes="$wire_bytes" -v wire_datagrams="$wire_datagrams" '
        /^BOT / {
            seen++
            for (i = 1; i <= NF; i++) {
                split($i, pair, "=")
                if (pair[1] == "bytes") bytes += pair[2]
                if (pair[1] == "messages") messages += pair[2]
                if (pair[1] == "datagrams") { datagrams += pair[2]; counted = 1 }
            }
            if ($NF == "terminated") ended++
        }
        END {
            if (seen != bots) { printf "expected %d BOT lines, found %d\n", bots, seen > "/dev/stderr"; exit 1 }
            client = bytes / bots / seconds
            dg = counted ? sprintf("%.0f", datagrams / bots / seconds) : "-"
            perdg = counted && datagrams > 0 ? sprintf("%.0f", bytes / datagrams) : "-"
            wire = wire_bytes == "" ? "" : sprintf(" %12.0f %12.0f", wire_bytes / bots / seconds,
                                                   wire_datagrams / bots / seconds)
            printf "%5d  %-9s %12.0f %12.0f %12s %6s %12.0f%s%s\n", bots, rate, client, client * bots, dg, perdg,
                messages / bots / seconds, wire, ended ? sprintf("  (%d terminated)", ended) : ""
        }' "$out"
}

# What the server printed besides its usual console lines (e.g. -stats).
server_extras() {
    local log=$1
    sed -n '/Console: starting up server/,$p' "$log" | grep -v '^Console: ' | grep -v '^[[:space:]]*$' || true
}

echo "run-bandwidth-bench: $server, bots ${bot_counts}$([ "$netns" = 0 ] || echo ", in a private network namespace"), ${duration_ms} ms each, rate $rate_label${server_args:+, server args: $server_args}"
rows=()
for bots in $bot_counts; do
    log="$work/server-$bots.log"
    out="$work/probe-$bots.out"
    serve "$log"
    echo "  $bots bots on 127.0.0.1 port $run_port for $((duration_ms / 1000)).$(((duration_ms % 1000) / 100)) s..."
    wire=()
    [ "$netns" = 0 ] || read -r -a before <<< "$(loopback_counters)"
    run_probe "$bots" "$out"
    if [ "$netns" = 1 ]; then
        read -r -a after <<< "$(loopback_counters)"
        wire=($((after[0] - before[0])) $((after[1] - before[1])))
    fi
    stop_server
    row=$(summarise "$bots" "$out" "${wire[@]}") || die "could not read the probe's BOT lines; see $out (use --keep DIR to keep it)."
    rows+=("$row")
    extras=$(server_extras "$log")
    if [ -n "$extras" ]; then
        echo "  the server printed:"
        while IFS= read -r line; do echo "    $line"; done <<< "$extras"
    fi
done

echo
header=(bots rate "client B/s" "total B/s" "client dg/s" "B/dg" "client msg/s")
format="%5s  %-9s %12s %12s %12s %6s %12s"
if [ "$netns" = 1 ]; then
    header+=("wire B/s" "wire dg/s")
    format+=" %12s %12s"
fi
# shellcheck disable=SC2059 # the format is built above
printf "$format\n" "${header[@]}"
printf '%s\n' "${rows[@]}"
[ -z "$keep_dir" ] || echo "logs kept in $work"
