#!/usr/bin/env bash
# Fails when a program needs a graphics library (OpenGL, GLU, GLX, EGL or SDL)
# at run time: the dedicated server must start on a machine without them.
# Usage: check-no-graphics-libraries.sh PROGRAM
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "Usage: $0 PROGRAM" >&2
    exit 2
fi
program=$1
libraries=$(ldd "$program")
if grep -E 'lib(GL|GLU|GLX|GLdispatch|EGL|OpenGL|SDL2?)[-.]' <<<"$libraries"; then
    echo "$program needs the graphics libraries above" >&2
    exit 1
fi
echo "$program needs no graphics library"
