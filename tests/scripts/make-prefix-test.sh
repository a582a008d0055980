#!/usr/bin/env bash
# scripts/make-prefix against folders it finds at the prefix's place: it fills only a
# missing or empty folder or one its own unfinished or earlier run left, and refuses any other
# folder without touching it. Wine itself is replaced by stand-ins that only record
# their calls, so the test runs in a moment and needs no display.
#   make-prefix-test.sh <path of scripts/make-prefix>
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
for tool in wine wineserver winepath; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n[ "%s" = winepath ] && echo "$2"\nexit 0\n' \
    "$tool" "$work" "$tool" >"$work/bin/$tool"
  chmod +x "$work/bin/$tool"
done

failures=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }

# Runs make-prefix with the prefix at $1; sets status and output.
run() {
  rm -f "$work/calls"
  output=$(PATH="$work/bin:$PATH" DISPLAY=:velmora-test VELMORA_TEST_ARCH=win32 VELMORA_CACHE="$work/cache" \
    VELMORA_WINEPREFIX="$1" bash "$script" 2>&1)
  status=$?
}

# Rows: a name, how the folder is prepared, whether make-prefix creates the prefix
# there (yes) or refuses (no), and a file that must survive (empty: none).
check() {
  local name=$1 prepare=$2 creates=$3 survivor=$4
  local prefix="$work/$name/prefix"
  mkdir -p "$work/$name"
  (cd "$work/$name" && eval "$prepare")
  run "$prefix"
  if [ "$creates" = yes ]; then
    [ "$status" = 0 ] || fail "$name: exit $status: $output"
    [ -f "$prefix/.velmora-prefix-v2" ] || fail "$name: no finished marker"
    [ ! -e "$prefix/.velmora-prefix-creating" ] || fail "$name: the unfinished marker stayed"
    grep -q "wine wineboot" "$work/calls" 2>/dev/null || fail "$name: wineboot was not run"
  else
    [ "$status" != 0 ] || fail "$name: accepted a folder it did not make"
    case "$output" in *"not a Wine prefix this project made"*) ;; *) fail "$name: no clear message: $output" ;; esac
    [ ! -e "$work/calls" ] || fail "$name: Wine was run: $(cat "$work/calls")"
    [ ! -e "$prefix/.velmora-prefix-v2" ] || fail "$name: marked as the project's"
  fi
  if [ -n "$survivor" ] && [ ! -e "$work/$name/$survivor" ]; then fail "$name: $survivor was deleted"; fi
}

check missing ':' yes ''
check empty 'mkdir prefix' yes ''
check unfinished 'mkdir -p prefix/drive_c && touch prefix/.velmora-prefix-creating prefix/system.reg' yes ''
check "earlier version" 'mkdir -p prefix/drive_c && touch prefix/.velmora-prefix-v1 prefix/system.reg' yes ''
check "user's prefix" 'mkdir -p prefix/drive_c/users && echo mine >prefix/system.reg' no prefix/system.reg
check "hidden file only" 'mkdir prefix && echo x >prefix/.keep' no prefix/.keep
check "a plain file" 'echo data >prefix' no prefix
check "a link to a user's folder" 'mkdir mine && echo x >mine/file && ln -s mine prefix' no mine/file

# A finished prefix is left alone, and nothing runs.
finished="$work/finished/prefix"
mkdir -p "$finished" && touch "$finished/.velmora-prefix-v2" && echo keep >"$finished/user.reg"
run "$finished"
[ "$status" = 0 ] || fail "finished: exit $status"
[ ! -e "$work/calls" ] || fail "finished: Wine was run"
[ -f "$finished/user.reg" ] || fail "finished: a file was deleted"

[ "$failures" = 0 ] && echo "make-prefix: all rows passed"
exit $((failures > 0))
