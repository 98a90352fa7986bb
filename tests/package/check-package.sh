#!/usr/bin/env bash
# The game as a user gets it. Builds a Release tree of its own (the test
# suite's tree uses sanitizers, which must never be shipped), installs it,
# runs the installed server from another folder and again after moving the
# whole install, then makes the two Debian packages and checks what each
# holds and depends on: the server's installs and serves its maps alone, with
# no graphics library.
# Usage: check-package.sh SOURCE_DIR WORK_DIR
#   WORK_DIR keeps the Release tree between runs, so a second run only
#   rebuilds what changed (a first run builds the server and the client:
#   a few minutes on two cores).
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
    sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
fi
if [ $# -ne 2 ]; then
    echo "Usage: $0 SOURCE_DIR WORK_DIR" >&2
    exit 2
fi
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
tree=$work/release
scratch=$(mktemp -d)
server_pid=""
cleanup() {
    [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo "== Release build in $tree"
# The build-time data folder is one that does not exist, so the installed
# programs can only find their data beside themselves.
cmake -S "$source_dir" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQUORVEX_TESTS=OFF -DQUORVEX_SANITIZE=OFF -DQUORVEX_FUZZ=OFF -DQUORVEX_BENCH=OFF \
    -DQUORVEX_DATA_DIR="$work/no-data-here" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$tree" --target QuorvexServer QuorvexClient QuorvexMaster quorvex_man_pages

echo "== cmake --install"
stage=$scratch/stage
DESTDIR=$stage cmake --install "$tree" >/dev/null
for file in usr/bin/QuorvexServer usr/bin/QuorvexClient usr/bin/QuorvexMaster usr/share/quorvex/Maps/Caves.smp \
    usr/share/quorvex/Graphics/QuorvexIcon.tga etc/quorvex/server.cfg etc/quorvex/server.env; do
    [ -f "$stage/$file" ] || fail "cmake --install did not install /$file"
done
appstreamcli validate-tree --no-net "$stage/usr" || fail "the installed desktop entry and metadata do not validate together"

# A UDP port nothing listens on.
free_port() {
    local port used
    used=$(ss -Hlun | awk '{print $4}' | sed 's/.*://')
    for _ in $(seq 100); do
        port=$((20000 + RANDOM % 40000))
        grep -qx "$port" <<<"$used" || { echo "$port"; return; }
    done
    echo "no free UDP port found" >&2
    return 1
}

# Starts the installed server in an empty folder (with any further
# arguments), waits for it to load the first map, stops it as systemctl stop
# does, and expects it to end cleanly.
serve_from() {
    local prefix=$1 what=$2 folder log port
    shift 2
    folder=$(mktemp -d "$scratch/cwd.XXXX")
    log=$folder/server.log
    port=$(free_port)
    (cd "$folder" && exec "$prefix/bin/QuorvexServer" "$@" -port "$port" -name "Package check") >"$log" 2>&1 &
    server_pid=$!
    for _ in $(seq 300); do
        grep -q 'Console: starting up server' "$log" && break
        kill -0 "$server_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -TERM "$server_pid" 2>/dev/null || true
    local status=0
    wait "$server_pid" || status=$?
    server_pid=""
    grep -qF 'Console: Loading map... Maps\Caves.smp' "$log" ||
        fail "the server $what did not find its maps; it printed:$(printf '\n%s' "$(cat "$log")")"
    [ "$status" = 0 ] || fail "the server $what ended with status $status instead of 0"
}

echo "== the installed server finds its data"
serve_from "$stage/usr" "installed under $stage/usr"
[ "$("$stage/usr/bin/QuorvexServer" --version | tail -n 1)" = "QuorvexServer 1.02" ] ||
    fail "QuorvexServer --version does not print 'QuorvexServer 1.02'"
[ "$("$stage/usr/bin/QuorvexClient" --version)" = "QuorvexClient 1.02" ] ||
    fail "QuorvexClient --version does not print 'QuorvexClient 1.02'"

echo "== ... and still does after the install is moved"
mkdir -p "$scratch/elsewhere/deeper"
mv "$stage/usr" "$scratch/elsewhere/deeper/prefix"
serve_from "$scratch/elsewhere/deeper/prefix" "moved to $scratch/elsewhere/deeper/prefix"

echo "== cpack -G DEB"
rm -f "$tree"/quorvex_*.deb "$tree"/quorvex-server_*.deb
(cd "$tree" && cpack -G DEB >/dev/null)
game_deb=$(ls "$tree"/quorvex_*.deb)
server_deb=$(ls "$tree"/quorvex-server_*.deb)
echo "$server_deb"
echo "$game_deb"
server_contents=$(dpkg-deb -c "$server_deb" | awk '{print $6}')
game_contents=$(dpkg-deb -c "$game_deb" | awk '{print $6}')
# Each file in the package that must hold it, and in no other.
expect_in() {
    local package=$1 contents=$2 others=$3 file
    shift 3
    for file in "$@"; do
        grep -qxF "$file" <<<"$contents" || fail "$package lacks $file"
        if grep -qxF "$file" <<<"$others"; then fail "$file is in both packages"; fi
    done
}
expect_in quorvex-server "$server_contents" "$game_contents" ./usr/bin/QuorvexServer ./usr/bin/QuorvexMaster \
    ./usr/share/quorvex/Maps/Caves.smp ./usr/share/quorvex/Maps/Caves.bmp ./usr/share/quorvex/qstat.cfg \
    ./usr/share/man/man6/QuorvexServer.6.gz ./usr/share/man/man6/QuorvexMaster.6.gz \
    ./usr/lib/systemd/system/quorvex-server.service ./usr/lib/systemd/system/quorvex-server@.service \
    ./usr/lib/systemd/system/quorvex-master.service \
    ./etc/quorvex/server.cfg ./etc/quorvex/server.env ./usr/share/doc/quorvex-server/copyright
expect_in quorvex "$game_contents" "$server_contents" ./usr/bin/QuorvexClient ./usr/share/quorvex/Graphics/Font2.tga \
    ./usr/share/applications/quorvex.desktop ./usr/share/metainfo/io.github.quorvex.Quorvex.metainfo.xml \
    ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/quorvex.png \
    ./usr/share/man/man6/QuorvexClient.6.gz ./usr/share/doc/quorvex/copyright
grep -E 'Quorvex(Probe|MapTool|ArtGen|SoundGen|Impair)' <<<"$server_contents$game_contents" && fail "a package holds a developer tool"
pictures=$(grep -c '^./usr/share/quorvex/Graphics/.*\.tga$' <<<"$game_contents" || true)
[ "$pictures" = "$(ls "$source_dir"/data/Graphics/*.tga | wc -l)" ] || fail "the game package holds $pictures pictures"
sounds=$(grep -c '^./usr/share/quorvex/Sounds/.*\.wav$' <<<"$game_contents" || true)
[ "$sounds" = "$(ls "$source_dir"/data/Sounds/*.wav | wc -l)" ] || fail "the game package holds $sounds sounds"
maps=$(grep -c '^./usr/share/quorvex/Maps/.*\.smp$' <<<"$server_contents" || true)
[ "$maps" = "$(ls "$source_dir"/data/Maps/*.smp | wc -l)" ] || fail "the server package holds $maps maps"

server_depends=$(dpkg-deb -f "$server_deb" Depends)
game_depends=$(dpkg-deb -f "$game_deb" Depends)
echo "quorvex-server Depends: $server_depends"
echo "quorvex Depends: $game_depends"
for library in 'libenet[0-9]' 'libsodium[0-9]'; do
    grep -qE "(^|[ ,|])($library)" <<<"$server_depends" || fail "quorvex-server does not depend on $library"
done
grep -qiE '(^|[ ,|])lib(sdl|gl|glu|opengl|x11|xext|xcb|wayland|egl|asound|pulse)' <<<"$server_depends" &&
    fail "quorvex-server depends on a graphics or sound library"
for library in 'libsdl2-2\.0-0' 'libsdl2-mixer-2\.0-0' 'libgl1' 'libopengl0|libglu1' 'quorvex-server \(= 1\.02\)'; do
    grep -qE "(^|[ ,|])($library)" <<<"$game_depends" || fail "quorvex does not depend on $library"
done
grep -qE -- '-dev([ ,(]|$)' <<<"$server_depends, $game_depends" && fail "a package depends on a development package"
for deb in "$server_deb" "$game_deb"; do
    [ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "$deb is not in section games"
    [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "$deb has no maintainer"
    [ "$(dpkg-deb -f "$deb" Version)" = 1.02 ] || fail "$deb's version is not 1.02"
done
[ "$(dpkg-deb --ctrl-tarfile "$server_deb" | tar -xOf - ./conffiles | sort)" = \
  "$(printf '/etc/quorvex/server.cfg\n/etc/quorvex/server.env')" ] || fail "the settings are not conffiles"
dpkg-deb --ctrl-tarfile "$server_deb" | tar -tf - | grep -qx './postinst' || fail "quorvex-server has no postinst"
dpkg-deb --ctrl-tarfile "$game_deb" | tar -tf - | grep -qE '^\./(postinst|prerm|postrm|conffiles)$' &&
    fail "the game package carries the server's scripts or settings"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$source_dir/packaging/debian/copyright" || fail "the copyright file is not in the machine-readable format"

echo "== the server package alone serves its maps"
unpacked=$scratch/unpacked
dpkg-deb -x "$server_deb" "$unpacked"
ldd "$unpacked/usr/bin/QuorvexServer" "$unpacked/usr/bin/QuorvexMaster" | grep -E 'lib(asan|ubsan)' &&
    fail "the packaged programs were built with sanitizers"
grep -q '^ExecStart=/usr/bin/QuorvexServer -loadcfg /etc/quorvex/server.cfg' \
    "$unpacked/usr/lib/systemd/system/quorvex-server.service" || fail "the packaged unit does not start /usr/bin/QuorvexServer"
# As the unit starts it: its settings and the options server.env ships.
options=$(sed -n 's/^QUORVEX_OPTIONS="\(.*\)"$/\1/p' "$unpacked/etc/quorvex/server.env")
[ -n "$options" ] || fail "server.env ships no QUORVEX_OPTIONS"
# shellcheck disable=SC2086 # the options are words, as systemd splits $QUORVEX_OPTIONS
serve_from "$unpacked/usr" "unpacked from quorvex-server alone" -loadcfg "$unpacked/etc/quorvex/server.cfg" $options

echo "== ... and the game package beside it validates"
dpkg-deb -x "$game_deb" "$unpacked"
ldd "$unpacked/usr/bin/QuorvexClient" | grep -E 'lib(asan|ubsan)' && fail "the packaged client was built with sanitizers"
appstreamcli validate-tree --no-net "$unpacked/usr" || fail "the packaged desktop entry and metadata do not validate together"
desktop-file-validate "$unpacked/usr/share/applications/quorvex.desktop" || fail "the packaged desktop entry does not validate"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "The install and the packages check out"
