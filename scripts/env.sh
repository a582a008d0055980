# Sourced by the scripts: one place for the paths and the Wine environment they share.
# shellcheck shell=bash
VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELMORA_ROOT
# The prefix and its HOME live inside the work tree, so that nothing Wine writes
# (Desktop, Start Menu, links saved by tests) reaches the real home folder.
export VELMORA_CACHE="${VELMORA_CACHE:-$VELMORA_ROOT/.cache}"
export HOME="$VELMORA_CACHE/home"
# Wine runs in the Japanese locale (code page 932) once it exists: scripts/setup makes
# it. A shell started before setup made it cannot switch to it itself and would say so;
# the programs it starts can, so that complaint is not shown.
velmora_has_ja_locale() { [ "$(LC_ALL=ja_JP.UTF-8 locale charmap 2>/dev/null)" = UTF-8 ]; }
if velmora_has_ja_locale; then
  { export LANG=ja_JP.UTF-8; export LC_ALL=ja_JP.UTF-8; } 2>/dev/null
fi
export WINEDEBUG="${WINEDEBUG:--all,err+winediag}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"

# Velmora ships as a 32-bit program, and the tests run that build. Some Linux kernels
# are started without 32-bit support (ia32_emulation=off): Wine's 32-bit loader cannot
# run there at all. On such a machine the same sources are also built for 64-bit
# Windows (build/win64) and the Windows tests run that build in a 64-bit prefix.
# The kernel is asked directly, with a 93-byte 32-bit program that only exits: this
# works before any 32-bit package is installed.
velmora_can_run_32bit() {
  local probe="$VELMORA_CACHE/bin/ia32-probe"
  if [ ! -x "$probe" ]; then
    mkdir -p "$VELMORA_CACHE/bin"
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe.part"
    chmod +x "$probe.part" && mv "$probe.part" "$probe"
  fi
  "$probe" 2>/dev/null
}

# The Windows path of a Linux path (drive Z: is the Linux root). Not winepath: as the
# first Wine program of a session inside $(...), that would leave Wine's background
# processes holding the substitution's pipe, and the shell waiting for them.
velmora_winpath() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s' "${path//\//\\}"
}

# Runs a command quietly; when it fails, says which command failed and shows the end
# of what it printed, then fails itself (for the scripts' set -e).
velmora_step() {
  local log status=0
  log=$(mktemp)
  "$@" >"$log" 2>&1 || status=$?
  if [ "$status" != 0 ]; then
    {
      echo "FAILED (exit $status): $*"
      tail -n 25 "$log" | sed 's/^/  | /'
    } >&2
  fi
  rm -f "$log"
  return "$status"
}
if [ -z "${VELMORA_TEST_ARCH:-}" ]; then
  if velmora_can_run_32bit; then VELMORA_TEST_ARCH=win32; else VELMORA_TEST_ARCH=win64; fi
fi
export VELMORA_TEST_ARCH
if [ "$VELMORA_TEST_ARCH" = win64 ]; then
  export WINEARCH=win64
  export WINEPREFIX="${VELMORA_WINEPREFIX:-$VELMORA_CACHE/wineprefix64}"
  # Debian's wine launcher prefers the 32-bit loader whenever it is installed; send
  # every Wine tool to the 64-bit one instead.
  export WINELOADER=/usr/lib/wine/wine64
  mkdir -p "$VELMORA_CACHE/bin"
  for tool in wine wine-stable; do
    if [ ! -x "$VELMORA_CACHE/bin/$tool" ]; then
      printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$VELMORA_CACHE/bin/$tool"
      chmod +x "$VELMORA_CACHE/bin/$tool"
    fi
  done
  case ":$PATH:" in *":$VELMORA_CACHE/bin:"*) ;; *) export PATH="$VELMORA_CACHE/bin:$PATH" ;; esac
else
  export WINEARCH=win32
  export WINEPREFIX="${VELMORA_WINEPREFIX:-$VELMORA_CACHE/wineprefix}"
fi
