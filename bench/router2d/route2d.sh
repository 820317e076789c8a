#!/usr/bin/env bash
# The flow so far (read, decompose, planar routing) on generated problems, one line of figures
# per profile: total overflow after each stage, final total and max overflow, Wlen2D against the
# sum of the nets' Steiner-tree lengths, stage times, processor time and peak memory.
# Usage: bench/router2d/route2d.sh [build-dir] [profile ...]   (default: small medium adaptec1-like)
# Problems are cached in $KORVANE_BENCH_CACHE (default /tmp/korvane-bench); the maze stage gets
# $MAZE rounds (default 1000), everything else the defaults.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
shift || true
profiles=${*:-small medium adaptec1-like}
cache=${KORVANE_BENCH_CACHE:-/tmp/korvane-bench}
mkdir -p "$cache"

cmake --build "$build" --target route2d_bench steiner_tables >/dev/null 2>&1 || cmake --build "$build" --target route2d_bench >/dev/null
exe=$build/bench/route2d_bench

set_file=$cache/route2d.set
cat > "$set_file" <<SET
Via cost = 1
Pattern Routing Iteration = 2
Monotonic Routing Iteration = 3
Maze Routing Iteration = ${MAZE:-1000}
Post Routing Iteration = 2
Wirelength Optimization Level = 17
Pin Blockage Factor = 0.05
SET

for p in $profiles; do
  problem=$cache/$p.gr
  [ -f "$problem" ] || python3 "$src/tools/gen_gr.py" --profile "$p" --seed 1 --quiet --out "$problem"
  log=$cache/$p.route2d.log
  # The tables are generated into the build directory and read from the working directory.
  (cd "$build" && /usr/bin/time -v "$exe" "$problem" "$set_file" > "$log" 2> "$log.time")
  awk -v name="$p" '
    /Start (Pattern|Monotonic|Maze|Post) Routing/ { stage = $0; gsub(/=|Start | Routing/, "", stage) }
    /^Round=/ { for (i = 1; i <= NF; i++) if ($i ~ /^totalOF=/) { of[stage] = substr($i, 9) } rounds[stage]++ }
    / Routing costs / { t[$1] = $4 }
    /^bench:/ { summary = $0 }
    END {
      printf "%s: OF after pattern %s, monotonic %s, maze %s (%d rounds), post %s\n", name, of["Pattern"],
             of["Monotonic"], of["Maze"], rounds["Maze"], of["Post"]
      printf "  stage seconds: pattern %s, monotonic %s, maze %s, post %s\n", t["Pattern"], t["Monotonic"],
             t["Maze"], t["Post"]
      print "  " summary
    }' "$log"
  awk '/bench:/ { for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] } }
       END { if (v["steinerSum"] > 0) printf "  Wlen2D / steinerSum = %.4f\n", v["Wlen2D"] / v["steinerSum"] }' "$log"
  grep -E "User time|System time|Maximum resident" "$log.time" | sed 's/^\s*/  /'
done
