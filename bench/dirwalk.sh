#!/usr/bin/env bash
# The directory walk against du -sb and against the naive walk (two listings per
# directory, one open per file), on one tree of sparse files, interleaved round by
# round with a warm cache. Prints seconds, files per second, ratios and peak memory.
# The walk also runs looking at the message queue at every yield point, and without
# any messages, to show what the window's paced yield saves.
#
#   bench/dirwalk.sh [rounds] [naive rounds]     (defaults 3 and 1)
#
# Needs the win64 (or win32) build of dirwalk_bench: cmake --build --preset win64
# --target dirwalk_bench. The tree is built under /tmp and deleted at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
rounds=${1:-3}
naiveRounds=${2:-1}
top=100 mid=100 perDir=20  # 10,000 directories holding 200,000 files

bench=$VELMORA_ROOT/build/$VELMORA_TEST_ARCH/bench/dirwalk_bench.exe
[ -f "$bench" ] || { echo "build dirwalk_bench first ($bench)" >&2; exit 1; }

tree=$(mktemp -d /tmp/velmora-dirwalk.XXXXXX)
trap 'rm -rf "$tree"' EXIT
echo "building the tree in $tree ..."
python3 "$here/make_tree.py" "$tree" "$top" "$mid" "$perDir"
files=$((top * mid * perDir))
dirs=$((top * mid + top + 1))
winTree="Z:${tree//\//\\}"
echo "tree: $files files in $dirs directories"

wineserver -p60
du -sb "$tree" >/dev/null                          # warm the cache
wine "$bench" sequential "$winTree" >/dev/null     # and Wine

# Seconds of one timed command (wall clock), and its peak memory in KB.
timed() { /usr/bin/time -f "%e %M" -o "$tree.time" "$@" >"$tree.out" 2>/dev/null; cat "$tree.time"; }
walkSeconds() { sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$tree.out"; }

declare -a du_s velmora_s velmora_w velmora_m every_s nopump_s seq_s naive_s
for ((r = 1; r <= rounds; r++)); do
  read -r s _ < <(timed du -sb "$tree"); du_s+=("$s")
  read -r w m < <(timed wine "$bench" velmora "$winTree"); velmora_s+=("$(walkSeconds)"); velmora_w+=("$w"); velmora_m+=("$m")
  read -r _ _ < <(timed wine "$bench" velmora-every "$winTree"); every_s+=("$(walkSeconds)")
  read -r _ _ < <(timed wine "$bench" velmora-nopump "$winTree"); nopump_s+=("$(walkSeconds)")
  read -r _ _ < <(timed wine "$bench" sequential "$winTree"); seq_s+=("$(walkSeconds)")
  naive=""
  if ((r <= naiveRounds)); then
    read -r _ _ < <(timed wine "$bench" naive "$winTree"); naive_s+=("$(walkSeconds)"); naive=", naive ${naive_s[-1]} s"
  fi
  echo "round $r: du ${du_s[-1]} s, velmora ${velmora_s[-1]} s (process ${velmora_w[-1]} s, ${velmora_m[-1]} KB)," \
    "queue at every point ${every_s[-1]} s, no messages ${nopump_s[-1]} s, sequential ${seq_s[-1]} s$naive"
done
rm -f "$tree.time" "$tree.out"

python3 - "$files" "${du_s[*]}" "${velmora_s[*]}" "${velmora_w[*]}" "${velmora_m[*]}" "${seq_s[*]}" "${naive_s[*]}" \
  "${every_s[*]}" "${nopump_s[*]}" <<'PY'
import sys, statistics as st
files = int(sys.argv[1])
du, vel, velw, velm, seq, naive, every, nopump = ([float(x) for x in a.split()] for a in sys.argv[2:10])
m = st.median
print()
print("median of %d rounds (naive: %d)" % (len(du), len(naive)))
print("%-28s %9s %12s" % ("", "seconds", "files/s"))
for name, v in (("du -sb", m(du)), ("velmora walk", m(vel)), ("velmora process (start+walk)", m(velw)),
                ("queue at every yield point", m(every)), ("no messages at all", m(nopump)),
                ("one listing/dir, 1 thread", m(seq)), ("naive walk", m(naive))):
    print("%-28s %9.3f %12.0f" % (name, v, files / v))
print()
print("velmora / du -sb:        %.2fx  (target: within 4x)" % (m(vel) / m(du)))
print("naive / velmora:         %.1fx  (target: at least 10x)" % (m(naive) / m(vel)))
print("sequential / velmora:    %.2fx" % (m(seq) / m(vel)))
print("every point / velmora:   %.2fx" % (m(every) / m(vel)))
print("velmora peak memory:     %.1f MB  (target: under 20 MB)" % (max(velm) / 1024))
PY
