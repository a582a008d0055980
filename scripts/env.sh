# Sourced by the scripts: one place for the paths and the Wine environment they share.
# shellcheck shell=bash
VELMORA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VELMORA_ROOT
# The prefix and its HOME live inside the work tree, so that nothing Wine writes
# (Desktop, Start Menu, links saved by tests) reaches the real home folder.
export VELMORA_CACHE="${VELMORA_CACHE:-$VELMORA_ROOT/.cache}"
export WINEPREFIX="${VELMORA_WINEPREFIX:-$VELMORA_CACHE/wineprefix}"
export HOME="$VELMORA_CACHE/home"
export WINEARCH=win32
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG="${WINEDEBUG:--all,err+winediag}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"
