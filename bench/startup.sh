#!/usr/bin/env bash
# An automatic drive check that passes (no box: /DISK=C /SIZE=1) of the real
# Velmora.exe, from process start to exit, against the floor: a minimal Win32 program
# that creates a hidden window, waits for one 100 ms timer and exits. The programs
# run interleaved, round by round, under one running (warm) Wine server;
# bench/StartupBench.cpp starts and times them and prints median, minimum and ratios.
# A third contestant runs the same check with the CSV log option on, so that each of
# its runs also rewrites the drive's log; a fourth with that log held open by the
# benchmark, so that each run retries and gives the record up.
#
#   bench/startup.sh [rounds] [another Velmora.exe]     (default 30 rounds)
#
# A second Velmora.exe (say, one built from an earlier commit) runs the same check
# interleaved with the others, as "velmora, other build", for a before-and-after figure
# on one machine at one time. Target: the check within 1.25x the floor (median).
#
# Needs the win64 (or win32) build: cmake --build --preset win64 --target Velmora
# minimal_timer startup_bench (or --target benchmarks). The program folders live under /tmp and are deleted
# at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
rounds=${1:-30}
other=${2:-}

build=$VELMORA_ROOT/build/$VELMORA_TEST_ARCH
for f in Velmora.exe bench/minimal_timer.exe bench/startup_bench.exe; do
  [ -f "$build/$f" ] || { echo "build it first: $build/$f" >&2; exit 1; }
done

dir=$(mktemp -d /tmp/velmora-startup.XXXXXX)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/floor" "$dir/plain" "$dir/log" "$dir/held"
cp "$build/bench/minimal_timer.exe" "$dir/floor/"
cp "$build/Velmora.exe" "$dir/plain/"
cp "$build/Velmora.exe" "$dir/log/"
printf '[Log   ]1\r\n[LogTXT]0\r\n' >"$dir/log/Velmora.ini"   # the CSV log on
# The same with the log held open by another program: eleven attempts with pauses of
# 10 to 101 ms, and the run ends without a record.
cp "$build/Velmora.exe" "$dir/held/"
cp "$dir/log/Velmora.ini" "$dir/held/"
win="Z:${dir//\//\\}"
contestants=()
if [ -n "$other" ]; then
  mkdir "$dir/other"
  cp "$other" "$dir/other/Velmora.exe"
  contestants+=("velmora, other build=$win\\other\\Velmora.exe /DISK=C /SIZE=1")
fi

echo "build: $build/Velmora.exe ($(git -C "$VELMORA_ROOT" describe --always --dirty 2>/dev/null || echo 'no git'))"
if [ -n "$other" ]; then echo "other build: $other"; fi
echo "machine: $(nproc) cores, $(uname -r), $(wine --version 2>/dev/null)"

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
timeout 1200 xvfb-run -a sh -c 'wineserver -p60; wine "$@"' sh "$build/bench/startup_bench.exe" "$rounds" \
  "floor=$win\\floor\\minimal_timer.exe" \
  "velmora=$win\\plain\\Velmora.exe /DISK=C /SIZE=1" \
  "${contestants[@]}" \
  "velmora, CSV log=$win\\log\\Velmora.exe /DISK=C /SIZE=1" \
  "--hold=$win\\held\\Cドライブのログ.csv" \
  "velmora, CSV log held=$win\\held\\Velmora.exe /DISK=C /SIZE=1" 2>&1 |
  grep -v 'FS volume label and serial are not available' || true
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
log="$dir/log/Cドライブのログ.csv"
[ -f "$log" ] && echo "lines in the CSV log (header and at most 100 records): $(wc -l <"$log")"
