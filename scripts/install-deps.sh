#!/usr/bin/env bash
# Installs the Debian packages Quorvex needs that are not installed yet.
# Usage: scripts/install-deps.sh [build|test]
#   build  what building and playing needs (default)
#   test   that plus what the test suite needs
set -euo pipefail

case "${1:-build}" in
    -h|--help)
        sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'
        exit 0 ;;
    build|test) mode="${1:-build}" ;;
    *) echo "install-deps: unknown mode '$1'; use 'build' or 'test'." >&2; exit 2 ;;
esac

packages=(cmake ninja-build g++ pkg-config libsdl2-dev libsdl2-mixer-dev libenet-dev libsodium-dev libsystemd-dev libgl1-mesa-dev libglu1-mesa-dev)
if [ "$mode" = test ]; then
    packages+=(googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
               xvfb xauth xdotool imagemagick sox iproute2 util-linux desktop-file-utils appstream man-db dpkg-dev file qstat)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
