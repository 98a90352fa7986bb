# Shell helpers for scripts that run the real client on a virtual display
# inside a private network namespace: scripts/make-screenshots.sh and
# tests/e2e/play-script-test.sh. Source it; it defines functions only.

# Polls for up to $1 seconds until the command after it succeeds.
within() {
    local seconds="$1"
    shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# True when loopback is the only network interface: inside `unshare -n`,
# where a LAN search by broadcast reaches nothing outside.
only_loopback() {
    [ "$(tail -n +3 /proc/self/net/dev | cut -d: -f1 | tr -d ' ' | sort -u | tr '\n' ' ')" = "lo " ]
}

# Starts an Xvfb of its own (1024x768, 24-bit, no TCP) that picks a free
# display number, and waits up to 30 seconds for it. Its output goes to
# $1/xvfb.out and $1/xvfb.err. Sets xvfb_pid and xvfb_display (":N"); on
# failure says why on standard error and returns 1 (xvfb_pid is set even
# then, for the caller's clean-up).
start_xvfb() {
    local scratch="$1"
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset \
        > "$scratch/xvfb.out" 2> "$scratch/xvfb.err" &
    xvfb_pid=$!
    if ! within 30 grep -q '^[0-9]' "$scratch/xvfb.out"; then
        echo "Xvfb did not start: $(cat "$scratch/xvfb.err")" >&2
        return 1
    fi
    xvfb_display=":$(head -n 1 "$scratch/xvfb.out")"
}
