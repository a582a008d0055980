# Sourced by the scripts: one place for the paths and the Wine environment they share.
# shellcheck shell=bash
VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELMORA_ROOT
# The prefix and its HOME live inside the work tree, so that nothing Wine writes
# (Desktop, Start Menu, links saved by tests) reaches the real home folder.
export VELMORA_CACHE="${VELMORA_CACHE:-$VELMORA_ROOT/.cache}"
export HOME="$VELMORA_CACHE/home"
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG="${WINEDEBUG:--all,err+winediag}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"

# Velmora ships as a 32-bit program, and the tests run that build. Some Linux kernels
# are started without 32-bit support (ia32_emulation=off): Wine's 32-bit loader cannot
# run there at all. On such a machine the same sources are also built for 64-bit
# Windows (build/win64) and the Windows tests run that build in a 64-bit prefix.
velmora_can_run_32bit() { [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
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
