#!/usr/bin/env bash
# Makes the desktop icons packaging/icons/quorvex-SIZE.png from the game's own
# icon: QuorvexArtGen draws it at every size desktops look for, and ImageMagick
# turns each picture into a PNG without dates or other metadata, so the same
# drawing always gives the same files. The PNGs are committed; building and
# installing need no image tools.
#
# Usage: packaging/icons/make-icons.sh [--check] [ARTGEN]
#   ARTGEN   the QuorvexArtGen program (default: build/QuorvexArtGen)
#   --check  write nothing; exit 1 when a committed icon differs from what
#            the generator draws now
set -euo pipefail

check=0
artgen=""
for argument in "$@"; do
    case "$argument" in
        -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        --check) check=1 ;;
        -*) echo "make-icons: unknown option '$argument'; see --help." >&2; exit 2 ;;
        *) artgen=$argument ;;
    esac
done
here=$(cd "$(dirname "$0")" && pwd)
artgen=${artgen:-$here/../../build/QuorvexArtGen}
[ -x "$artgen" ] || { echo "make-icons: no QuorvexArtGen at '$artgen'; build it (cmake --build build --target QuorvexArtGen) or name it." >&2; exit 2; }
command -v convert >/dev/null || { echo "make-icons: ImageMagick's convert is missing; install the imagemagick package." >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$artgen" --desktop-icons "$work" >/dev/null

# Every channel of every pixel, as raw bytes, top row first (this
# ImageMagick leaves a Targa file's bottom-first rows as stored unless told).
pixels() { convert "$1" -auto-orient -depth 8 rgba:-; }

status=0
for picture in "$work"/quorvex-*.tga; do
    name=$(basename "$picture" .tga).png
    if [ "$check" = 1 ]; then
        if [ ! -f "$here/$name" ] || ! cmp -s <(pixels "$picture") <(pixels "$here/$name"); then
            echo "make-icons: $name differs from what QuorvexArtGen draws; run packaging/icons/make-icons.sh and commit the icons." >&2
            status=1
        fi
    else
        convert "$picture" -auto-orient -strip -define png:exclude-chunks=date,time PNG32:"$here/$name"
        echo "Wrote $here/$name"
    fi
done
exit $status
