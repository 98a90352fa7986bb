#!/usr/bin/env bash
# Takes the README's screenshots from a real game on a virtual display.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: scripts/make-screenshots.sh [--build-dir DIR] [--out DIR] [--frames N]
       scripts/make-screenshots.sh --help

Plays a short real game on a virtual X display (Xvfb, 1024x768) and saves
what the player sees as small PNG files:

  main-menu.png        the main menu after the intro
  server-browser.png   the LAN browser listing the local server
  game.png             the game: the player (Ace) and five computer pilots
                       fighting on HCPlayground; of --frames frames, one with
                       the player's ship and the most others in view is kept
  round-over.png       the scores after "/server map Fear" ends the round

A QuorvexServer (round-over screen held 6 s, more frequent powerups, five
computer pilots) and the real QuorvexClient run with the programs of a build
folder (build/ by default: run ./play.sh, or cmake --build build, first); the
client is driven with xdotool key presses and the screen is read with
ImageMagick's import. The client's settings live in a temporary folder.

Needs root: everything runs inside a private network namespace (unshare -n)
where only loopback exists, so the browser's LAN search never leaves this
machine. Needs Xvfb, xdotool, ImageMagick, unshare and ip
(scripts/install-deps.sh test installs them).

  --build-dir DIR   where QuorvexServer and QuorvexClient are
                    (default build)
  --out DIR         where the pictures go (default docs/screenshots)
  --frames N        game frames to choose from (default 20, about 2 s apart)
  --help            this text
EOF
}

cd "$(dirname "$0")/.."
source_dir=$(pwd)
# within, only_loopback, start_xvfb
source scripts/lib/xvfb.sh
build_dir=build
out_dir=docs/screenshots
frames=20
while [ $# -gt 0 ]; do
    case "$1" in
        -h|--help) usage; exit 0 ;;
        --build-dir) build_dir="${2:?--build-dir needs a folder}"; shift 2 ;;
        --out) out_dir="${2:?--out needs a folder}"; shift 2 ;;
        --frames) frames="${2:?--frames needs a number}"; shift 2 ;;
        *) echo "make-screenshots: unknown option '$1'; see --help." >&2; exit 2 ;;
    esac
done
[[ "$frames" =~ ^[1-9][0-9]*$ ]] || { echo "make-screenshots: --frames takes a positive number, not '$frames'." >&2; exit 2; }
build_dir=$(cd "$build_dir" 2> /dev/null && pwd) ||
    { echo "make-screenshots: no build folder '$build_dir'; run ./play.sh once, or give --build-dir." >&2; exit 1; }
for program in QuorvexServer QuorvexClient; do
    [ -x "$build_dir/$program" ] ||
        { echo "make-screenshots: $build_dir/$program is not built; run cmake --build $build_dir." >&2; exit 1; }
done
for tool in Xvfb xdotool import convert unshare ip; do
    command -v "$tool" > /dev/null ||
        { echo "make-screenshots: $tool is missing; scripts/install-deps.sh test installs it." >&2; exit 1; }
done

if ! only_loopback; then
    [ "$(id -u)" = 0 ] ||
        { echo "make-screenshots: needs root, to run the game in a private network namespace (unshare -n)." >&2; exit 1; }
    echo "== Entering a private network namespace (loopback only)"
    exec unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' "$0" --build-dir "$build_dir" \
        --out "$out_dir" --frames "$frames"
fi
mkdir -p "$out_dir"
out_dir=$(cd "$out_dir" && pwd)

scratch=$(mktemp -d)
keep_scratch=0
pids=()
cleanup() {
    local i
    set +e
    # The newest first: the client before the server, the display last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill -TERM "${pids[i]}" 2> /dev/null && wait "${pids[i]}" 2> /dev/null
    done
    if [ "$keep_scratch" = 1 ]; then
        echo "make-screenshots: the logs and screenshots so far are kept in $scratch" >&2
    else
        rm -rf "$scratch"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "make-screenshots: $*" >&2
    keep_scratch=1
    exit 1
}

echo "== Starting Xvfb"
started=0
start_xvfb "$scratch" && started=1
pids+=("$xvfb_pid")
[ "$started" = 1 ] || fail "the virtual display did not start (Xvfb said why above)"
export DISPLAY="$xvfb_display"

export QUORVEX_DATA="$source_dir/data"
# A sanitized build must not stop on leaks at exit; a plain build ignores it.
export ASAN_OPTIONS=detect_leaks=0
server_log="$scratch/server.log"
server_says() { grep -qF "Console: $1" "$server_log"; }

echo "== Starting a server with six computer pilots"
cat > "$scratch/server.cfg" << 'EOF'
ServerEOR 6000
DefaultFragLimit 50
MaxPlayers 8
PowerupSpawnRate 5
StartingMissiles 6
EOF
# Six ships in play: when the player joins, one pilot makes room for it.
"$build_dir/QuorvexServer" -name "Quorvex Arena" -loadcfg "$scratch/server.cfg" -bots 6 > "$server_log" 2>&1 &
pids+=($!)
within 30 server_says "starting up server" || fail "the server did not start: $(cat "$server_log")"
pilots_joined() { [ "$(grep -c '\[bot\] has joined the game.' "$server_log")" -ge 6 ]; }
within 60 pilots_joined || fail "the computer pilots did not join: $(tail "$server_log")"

# Pixels of COLOUR in FILE, within GEOMETRY (WxH+X+Y) when given.
pixels_of() {
    local colour="$1" file="$2" geometry="${3:-}"
    convert "$file" ${geometry:+-crop "$geometry" +repage} -fill black +opaque "$colour" \
        -fill white -opaque "$colour" -colorspace gray -format '%[fx:round(mean*w*h)]' info:
}

# Pixels that are not black in FILE, within GEOMETRY.
lit_pixels() {
    convert "$1" -crop "$2" +repage -fill white +opaque black -colorspace gray -format '%[fx:round(mean*w*h)]' info:
}

shot() { import -window root "$1"; }

# Takes screenshots into $scratch/$1.png until the test $2 holds for one.
wait_for_screen() {
    local name="$1" test="$2"
    for _ in $(seq 60); do
        shot "$scratch/$name.png" && "$test" "$scratch/$name.png" && return 0
        sleep 0.5
    done
    fail "the $name screen did not show; the last try is $scratch/$name.png"
}

shows_white() { [ "$(pixels_of white "$1")" -gt 100 ]; }
# The selected menu item is green.
shows_menu() { [ "$(pixels_of lime "$1" 1024x200+0+300)" -gt 100 ]; }
# The first server's line of the browser, in green.
shows_listed_server() { [ "$(pixels_of lime "$1" 520x16+227+136)" -gt 50 ]; }
# The game's side panel has a green left edge.
shows_panel() { [ "$(pixels_of lime "$1" 2x768+0+0)" -gt 1000 ]; }
# The scores replace the game: no panel, text where the verdict goes.
shows_scores() { ! shows_panel "$1" && [ "$(lit_pixels "$1" 1024x16+0+268)" -gt 100 ]; }

echo "== Starting the client"
mkdir -p "$scratch/config/Tessaloon/Quorvex/Settings"
printf 'Ace' > "$scratch/config/Tessaloon/Quorvex/Settings/PlayerName"
env XDG_CONFIG_HOME="$scratch/config" LIBGL_ALWAYS_SOFTWARE=1 "$build_dir/QuorvexClient" \
    > "$scratch/client.out" 2>&1 &
client_pid=$!
pids+=("$client_pid")
key() { xdotool key "$@"; }

# Opens the console line, types a line and sends it.
console_line() {
    key apostrophe
    xdotool type --delay 30 "$1"
    key Return
}

keep() {
    convert "$scratch/$1.png" -strip "PNG8:$out_dir/$1.png"
    echo "   saved $out_dir/$1.png"
}

echo "== Main menu"
wait_for_screen intro shows_white
key a
wait_for_screen main-menu shows_menu
sleep 1
shot "$scratch/main-menu.png"
keep main-menu

echo "== Server browser"
key Return
wait_for_screen server-browser shows_listed_server
sleep 1
shot "$scratch/server-browser.png"
keep server-browser

echo "== Game"
key Return
within 60 server_says "Ace has joined the game." || fail "the client did not join: $(cat "$scratch/client.out")"
wait_for_screen game-start shows_panel
# The open arena, where the ships start close to one another; the request
# ends the round on Caves.
console_line "/server map HCPlayground"
within 60 server_says 'Loading map... Maps\HCPlayground.smp' ||
    fail "the server did not change the map: $(tail "$server_log")"
wait_for_screen game-arena shows_panel
# The player stays put (thrust soon ends in the rock) and turns, fires and
# launches a missile now and then, mostly behind its shield. The frame kept
# shows the player's ship (fuel in the gauge), then the most other ships (red
# marks on the minimap, which centres on the player, inside the box the view
# covers), then the most detail (the largest PNG).
moves=("j space d" "space v" "l space d" "space d")
best=""
for i in $(seq "$frames"); do
    held=${moves[$(((i - 1) % ${#moves[@]}))]}
    for k in $held; do xdotool keydown "$k"; done
    sleep 1.5
    frame="$scratch/frame-$i.png"
    shot "$frame"
    for k in $held; do xdotool keyup "$k"; done
    sleep 0.3
    shows_panel "$frame" || continue
    ships=$(($(pixels_of red "$frame" 80x76+60+64) / 4))
    alive=0
    [ "$(pixels_of blue "$frame" 176x10+12+212)" -gt 0 ] && alive=1
    score=$(printf '%d%03d%09d' "$alive" "$ships" "$(stat -c %s "$frame")")
    echo "   frame $i of $frames: $ships other ship(s) in view, the player's ship $( ((alive)) && echo alive || echo destroyed)"
    if [[ "$score" > "$best" ]]; then
        best=$score
        cp "$frame" "$scratch/game.png"
    fi
done
[ -n "$best" ] || fail "no game frame showed the game"
keep game

echo "== Round over"
console_line "/server map Fear"
within 30 server_says "Fear has been requested" || fail "the server did not take the map request: $(tail "$server_log")"
wait_for_screen round-over shows_scores
sleep 1
shot "$scratch/round-over.png"
keep round-over

key F9
within 30 bash -c "! kill -0 $client_pid 2> /dev/null" || echo "make-screenshots: the client did not quit on F9; stopping it" >&2
echo "== Done: look at every picture in $out_dir before committing it"
