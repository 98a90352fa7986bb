#!/usr/bin/env bash
# Checks the files an install adds beside the programs, as this build
# configured them: the desktop entry and the AppStream metadata validate, the
# manual pages format without a warning, both systemd units verify (when
# systemd-analyze is there), the committed desktop icons are what the
# artwork generator draws, and the committed server settings are exactly the
# defaults the server writes.
# Usage: check-packaging-files.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
    sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'
    exit 0
fi
if [ $# -ne 2 ]; then
    echo "Usage: $0 SOURCE_DIR BUILD_DIR" >&2
    exit 2
fi
source_dir=$(cd "$1" && pwd)
build_dir=$(cd "$2" && pwd)
packaging=$source_dir/packaging
configured=$build_dir/packaging
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

echo "== desktop entry"
desktop-file-validate "$packaging/quorvex.desktop" || fail "quorvex.desktop does not validate"
grep -qx 'Categories=Game;ActionGame;' "$packaging/quorvex.desktop" || fail "quorvex.desktop lacks its categories"

echo "== AppStream metadata"
appstreamcli validate --no-net "$configured/quorvex.metainfo.xml" || fail "the metainfo file does not validate"

echo "== manual pages"
for page in QuorvexServer.6 QuorvexClient.6 QuorvexMaster.6; do
    # man formats for a terminal; every groff warning goes to standard error.
    warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$configured/$page" 2>&1 >/dev/null) ||
        fail "man cannot format $page"
    [ -z "$warnings" ] || fail "$page formats with warnings: $warnings"
    text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$configured/$page" 2>/dev/null)
    for section in NAME SYNOPSIS OPTIONS FILES ENVIRONMENT SIGNALS "EXIT STATUS" EXAMPLES; do
        grep -q "^$section" <<<"$text" || fail "$page has no $section section"
    done
    grep -q -- "-version" <<<"$text" || fail "$page does not describe the version option"
done

echo "== systemd units"
for name in quorvex-server.service quorvex-server@.service; do
    unit=$configured/$name
    grep -q '^DynamicUser=yes' "$unit" && grep -q '^ProtectSystem=strict' "$unit" && grep -q '^Restart=on-failure' "$unit" ||
        fail "$name lost its sandbox or its restart rule"
    grep -q '^RestartForceExitStatus=75$' "$unit" || fail "$name does not restart the server after a client's halt (status 75)"
    grep -q '^Type=notify' "$unit" && grep -q '^WatchdogSec=' "$unit" || fail "$name does not wait for readiness"
    if command -v systemd-analyze >/dev/null; then
        # Verify a copy that starts this build's server, since nothing is installed.
        server=$(sed -n 's|^ExecStart=\([^ ]*\).*|\1|p' "$unit")
        sed "s|^ExecStart=$server|ExecStart=$build_dir/QuorvexServer|" "$unit" >"$work/$name"
        systemd-analyze verify --man=no "$work/$name" || fail "systemd-analyze rejects $name"
    else
        echo "systemd-analyze is not installed; $name is not verified"
    fi
done
grep -q '^EnvironmentFile=.*/%i\.env$' "$configured/quorvex-server@.service" || fail "the template unit does not read NAME.env"

echo "== desktop icons"
"$packaging/icons/make-icons.sh" --check "$build_dir/QuorvexArtGen" || fail "the committed icons are stale"

echo "== server settings"
"$build_dir/QuorvexServer" -dumpcfg "$work/defaults.cfg" >/dev/null
size=$(wc -c <"$work/defaults.cfg")
cmp -s <(tail -c "$size" "$packaging/server.cfg") "$work/defaults.cfg" ||
    fail "packaging/server.cfg does not end with the defaults that QuorvexServer -dumpcfg writes; update it"
loaded=$("$build_dir/QuorvexServer" -loadcfg "$packaging/server.cfg" -dumpcfg "$work/again.cfg")
grep -q 'Unrecognized Tag' <<<"$loaded" && fail "the server does not read packaging/server.cfg cleanly: $loaded"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "All packaging files check out"
