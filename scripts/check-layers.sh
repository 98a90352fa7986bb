#!/usr/bin/env bash
# Checks that every source file includes only from its own layer and the
# layers beneath it, as the README's "How it fits together" draws them.
# Usage: scripts/check-layers.sh [REPO_DIR]
set -euo pipefail

usage() {
    cat <<'USAGE'
Usage: scripts/check-layers.sh [REPO_DIR]

Checks the include rules between the source folders (default: the repository
this script is in) and lists every #include that breaks one. Exits 0 when
there is none, 1 when there is, 2 on a usage error.

  platform/  includes platform/ only (platform/sdl/ is the client's)
  common/    platform/, common/
  session/   platform/, common/, session/
  gfx/       platform/, common/, gfx/ (gfx/gl/ is the client's)
  game/      platform/, common/, gfx/, game/
  ai/        platform/, common/, gfx/, game/, ai/
  net/       platform/, common/, session/, gfx/, game/, net/ (not ai/)
  server/    everything above, and server/
  client/    everything above but server/, and client/
  tools/     everything above but server/ and client/, and tools/

Only client/ (and tests) may include platform/sdl/ or gfx/gl/.
USAGE
}

case "${1:-}" in
-h | --help) usage; exit 0 ;;
-*) echo "check-layers: unknown option '$1'; see --help" >&2; exit 2 ;;
esac
repo=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
if [ ! -d "$repo/game" ]; then
    echo "check-layers: '$repo' is not the repository (no game/ folder); give its path" >&2
    exit 2
fi

declare -A allowed=(
    [platform]="platform"
    [common]="platform common"
    [session]="platform common session"
    [gfx]="platform common gfx"
    [game]="platform common gfx game"
    [ai]="platform common gfx game ai"
    [net]="platform common session gfx game net"
    [server]="platform common session gfx game ai net server"
    [client]="platform common session gfx game ai net client"
    [tools]="platform common session gfx game ai net tools"
)

broken=0
for layer in platform common session gfx game ai net server client tools; do
    [ -d "$repo/$layer" ] || continue
    while IFS=: read -r file line text; do
        [[ $text =~ \#include\ \"([a-z]+)/([a-z]+/)? ]] || continue
        target=${BASH_REMATCH[1]}
        sub=$target/${BASH_REMATCH[2]%/}
        ok=0
        for layer_ok in ${allowed[$layer]}; do
            [ "$target" = "$layer_ok" ] && ok=1
        done
        if [ "$layer" != client ] && { [ "$sub" = platform/sdl ] || [ "$sub" = gfx/gl ]; }; then
            case "$file" in "$repo/platform/sdl/"* | "$repo/gfx/gl/"*) ;; *) ok=0 ;; esac
        fi
        if [ "$ok" = 0 ]; then
            echo "${file#"$repo"/}:$line: $layer/ may not include ${text#*#include }"
            broken=1
        fi
    done < <(grep -rnE '^#include "[a-z]+/' "$repo/$layer" --include='*.h' --include='*.cpp' || true)
done

if [ "$broken" = 1 ]; then
    echo "check-layers: includes above cross the layers; move the code or the dependency down" >&2
    exit 1
fi
echo "check-layers: every include stays within its layer or below"
