#!/usr/bin/env bash
# Draws a spectrogram of every sound effect (frequency up, time across, with
# the waveform's level in the title) and one sheet of them all, so a change to
# the sound generator can be looked at before it is committed.
# Usage: scripts/sound-pictures.sh [SOUNDS_FOLDER [OUT_FOLDER]]
#   SOUNDS_FOLDER  default data/Sounds
#   OUT_FOLDER     default /tmp/quorvex-sound-pictures; the sheet is OUT_FOLDER/sheet.png
# Needs sox and ImageMagick (scripts/install-deps.sh test).
set -euo pipefail

case "${1:-}" in
    -h|--help) sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
esac
sounds="${1:-data/Sounds}"
out="${2:-/tmp/quorvex-sound-pictures}"
for tool in sox montage; do
    command -v "$tool" >/dev/null || { echo "sound-pictures: $tool is missing; run scripts/install-deps.sh test" >&2; exit 1; }
done
[ -d "$sounds" ] || { echo "sound-pictures: no folder $sounds; run it from the repository or name the folder" >&2; exit 1; }

mkdir -p "$out"
pictures=()
for wav in "$sounds"/*.wav; do
    name=$(basename "$wav" .wav)
    peak=$(sox "$wav" -n stat 2>&1 | awk '/Maximum amplitude/ {max=$3} /Minimum amplitude/ {min=-$3} END {print (max > min ? max : min)}')
    sox "$wav" -n spectrogram -x 400 -y 160 -z 90 -t "$name  peak $peak" -o "$out/$name.png"
    pictures+=("$out/$name.png")
done
montage "${pictures[@]}" -tile 4x -geometry +4+4 "$out/sheet.png"
echo "Wrote ${#pictures[@]} spectrograms and $out/sheet.png"
