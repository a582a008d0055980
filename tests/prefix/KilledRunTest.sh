#!/usr/bin/env bash
# What a Windows test ended from outside in the middle leaves in the prefix: the
# folders' verbs pointing at a recorder, with their backup copy beside them; the web's
# open action and the help files' class pointing at classes of the test's own; a link in
# the Startup folder. scripts/make-prefix --restore must undo all of it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/env.sh"
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[-HKEY_CLASSES_ROOT\\Folder\\shell]\r\n\r\n'
  printf '[HKEY_CLASSES_ROOT\\Folder\\shell\\open\\command]\r\n@="\\"C:\\\\gone\\\\record.exe\\" \\"%%1\\""\r\n\r\n'
  printf '[HKEY_CLASSES_ROOT\\Folder\\shell.velmora-test\\open\\command]\r\n@="\\"C:\\\\gone\\\\record.exe\\" \\"%%1\\""\r\n\r\n'
  printf '[HKEY_CLASSES_ROOT\\https\\shell\\open\\command]\r\n@="\\"C:\\\\gone\\\\browser.exe\\" \\"%%1\\""\r\n\r\n'
  printf '[HKEY_CLASSES_ROOT\\.hlp]\r\n@="VelmoraTest.unread"\r\n\r\n'
  printf '[HKEY_CLASSES_ROOT\\VelmoraTest.hlp\\shell\\open\\command]\r\n@="viewer.exe"\r\n\r\n'
} | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
velmora_step wine reg import "$(velmora_winpath "$reg")"
startup=("$WINEPREFIX"/drive_c/users/*/"AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp")
touch "${startup[0]}/Velmora C.lnk"
if "$VELMORA_ROOT/scripts/make-prefix" --check >/dev/null 2>&1; then
  echo "the damage did not show: the test proves nothing" >&2
  exit 1
fi
"$VELMORA_ROOT/scripts/make-prefix" --restore
"$VELMORA_ROOT/scripts/make-prefix" --check
if [ -e "${startup[0]}/Velmora C.lnk" ]; then
  echo "a link was left in the Startup folder" >&2
  exit 1
fi
