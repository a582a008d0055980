#!/usr/bin/env bash
# Runs the setup tests in a throw-away copy of the project's Wine prefix, with a Wine
# server of its own: what they install, register and link never reaches the prefix the
# other tests share, even when a run is killed. The copy is deleted afterwards.
#   setup-test.sh <wine> <velmora_setup_tests.exe> [test arguments]
set -euo pipefail
wine=$1
shift
: "${WINEPREFIX:?run after . scripts/env.sh}"
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-setup-test.XXXXXX")
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  chattr -R -i "$work" >/dev/null 2>&1 || true  # a folder a test made read-only
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# The prefix as it is now, without the temporary files of the window-less tests that run
# beside this one: they come and go while it is copied.
mkdir "$work/prefix"
{ tar -C "$WINEPREFIX" --exclude='./drive_c/users/*/Temp/*' --ignore-failed-read --warning=no-file-removed \
  --warning=no-file-changed -cf - . || [ $? = 1 ]; } | tar -C "$work/prefix" -xf -
export WINEPREFIX="$work/prefix"
"$wine" "$@"
