#!/usr/bin/env bash
# The directory walk against du -sb and against the naive walk (two listings per
# directory, one open per file), on two trees interleaved round by round with a warm
# cache: the flat tree of 200,000 sparse files in 10,101 directories, and a branching
# tree of 20 x 20 x 20 directories (8,421) with two files of 100 bytes in each leaf.
# Prints seconds, files per second, ratios and peak memory per tree. On the flat tree
# the walk also runs looking at the message queue at every yield point, and without
# any messages, to show what the window's paced yield saves.
#
#   bench/dirwalk.sh [rounds] [naive rounds]     (defaults 3 and 1)
#
# Needs the win64 (or win32) build of dirwalk_bench: cmake --build --preset win64
# --target dirwalk_bench; VELMORA_BENCH_DIR names another build's bench folder. With
# VELMORA_BENCH_BEFORE set to the dirwalk_bench.exe of an older build, each round also
# walks with that build, to compare before and after in the same run. The trees are
# built under /tmp and deleted at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../scripts/env.sh"
rounds=${1:-3}
naiveRounds=${2:-1}
top=100 mid=100 perDir=20  # 10,000 directories holding 200,000 files

bench=${VELMORA_BENCH_DIR:-$VELMORA_ROOT/build/$VELMORA_TEST_ARCH/bench}/dirwalk_bench.exe
[ -f "$bench" ] || { echo "build dirwalk_bench first ($bench)" >&2; exit 1; }
before=${VELMORA_BENCH_BEFORE:-}
[ -z "$before" ] || [ -f "$before" ] || { echo "no $before" >&2; exit 1; }
echo "bench: $bench${before:+; before: $before}; load average $(cut -d' ' -f1-3 /proc/loadavg)"

work=$(mktemp -d /tmp/velmora-dirwalk.XXXXXX)
trap 'rm -rf "$work"' EXIT
flat=$work/flat branching=$work/branching
echo "building the trees in $work ..."
mkdir "$flat" "$branching"
python3 "$here/make_tree.py" "$flat" "$top" "$mid" "$perDir"
python3 "$here/make_tree.py" "$branching" branching 20

wineserver -p60 || true  # one already running serves as well
for tree in "$flat" "$branching"; do
  du -sb "$tree" >/dev/null                                     # warm the cache
  wine "$bench" sequential "Z:${tree//\//\\}" >/dev/null         # and Wine
done

# Seconds of one timed command (wall clock), and its peak memory in KB.
timed() { /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out" 2>/dev/null; cat "$work/time"; }
walkSeconds() { sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' "$work/out"; }

# One round on one tree: appends to the arrays named after the tree's label.
declare -A du_s velmora_s velmora_w velmora_m every_s nopump_s seq_s naive_s before_s
round() {
  local label=$1 tree=$2 r=$3 win s w m naive=""
  win="Z:${tree//\//\\}"
  read -r s _ < <(timed du -sb "$tree"); du_s[$label]+="$s "
  # The older build goes first in every other round, so that neither gains from its place.
  if [ -n "$before" ] && ((r % 2 == 0)); then
    read -r _ _ < <(timed wine "$before" velmora "$win"); before_s[$label]+="$(walkSeconds) "
  fi
  read -r w m < <(timed wine "$bench" velmora "$win"); velmora_s[$label]+="$(walkSeconds) "
  velmora_w[$label]+="$w "; velmora_m[$label]+="$m "
  if [ -n "$before" ] && ((r % 2 == 1)); then
    read -r _ _ < <(timed wine "$before" velmora "$win"); before_s[$label]+="$(walkSeconds) "
  fi
  if [ "$label" = flat ]; then
    read -r _ _ < <(timed wine "$bench" velmora-every "$win"); every_s[$label]+="$(walkSeconds) "
    read -r _ _ < <(timed wine "$bench" velmora-nopump "$win"); nopump_s[$label]+="$(walkSeconds) "
  fi
  read -r _ _ < <(timed wine "$bench" sequential "$win"); seq_s[$label]+="$(walkSeconds) "
  if ((r <= naiveRounds)); then
    read -r _ _ < <(timed wine "$bench" naive "$win"); naive_s[$label]+="$(walkSeconds) "; naive=", naive $(walkSeconds) s"
  fi
  echo "round $r, $label: du $s s, velmora $(echo "${velmora_s[$label]}" | awk '{print $NF}') s (process $w s, $m KB)," \
    "${before:+before $(echo "${before_s[$label]}" | awk '{print $NF}') s, }sequential" \
    "$(echo "${seq_s[$label]}" | awk '{print $NF}') s$naive; load $(cut -d' ' -f1 /proc/loadavg)"
}

for ((r = 1; r <= rounds; r++)); do
  round flat "$flat" "$r"
  round branching "$branching" "$r"
done

summary() {
  local label=$1 files=$2 dirs=$3
  python3 - "$label" "$files" "$dirs" "${du_s[$label]}" "${velmora_s[$label]}" "${velmora_w[$label]}" \
    "${velmora_m[$label]}" "${seq_s[$label]}" "${naive_s[$label]:-}" "${every_s[$label]:-}" "${nopump_s[$label]:-}" \
    "${before_s[$label]:-}" <<'PY'
import sys, statistics as st
label, files, dirs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
du, vel, velw, velm, seq, naive, every, nopump, before = ([float(x) for x in a.split()] for a in sys.argv[4:13])
m = st.median
print()
print("%s tree: %d files in %d directories; median of %d rounds (naive: %d)" % (label, files, dirs, len(du), len(naive)))
print("%-28s %9s %12s" % ("", "seconds", "files/s"))
rows = [("du -sb", du), ("velmora walk", vel), ("velmora process (start+walk)", velw)]
if before: rows += [("velmora walk, before", before)]
if every: rows += [("queue at every yield point", every), ("no messages at all", nopump)]
rows += [("one listing/dir, 1 thread", seq), ("naive walk", naive)]
for name, v in rows:
    if v: print("%-28s %9.3f %12.0f" % (name, m(v), files / m(v)))
print()
print("velmora / du -sb:        %.2fx  (target: within 4x)" % (m(vel) / m(du)))
if before: print("before / du -sb:         %.2fx; before / now: %.2fx" % (m(before) / m(du), m(before) / m(vel)))
if naive: print("naive / velmora:         %.1fx  (target: at least 10x)" % (m(naive) / m(vel)))
print("sequential / velmora:    %.2fx" % (m(seq) / m(vel)))
if every: print("every point / velmora:   %.2fx" % (m(every) / m(vel)))
print("velmora peak memory:     %.1f MB  (target: under 20 MB)" % (max(velm) / 1024))
PY
}
summary flat $((top * mid * perDir)) $((top * mid + top + 1))
summary branching 16000 8421
