#!/usr/bin/env bash
# The whole router on generated problems: one run of the Korvane executable per profile and
# layer-assignment algorithm, timed with /usr/bin/time -v, and its result checked by the
# independent checker (legality, total and max overflow, wirelength, vias).
# Usage: bench/flow.sh [build-dir] [profile ...]   (default: small medium adaptec1-like)
# ALGOS (default "1 2 3"), MAZE (default 1000), VIA (default 1) and ROUNDS3D (default 0) set the
# parameters; problems
# are cached in $KORVANE_BENCH_CACHE (default /tmp/korvane-bench).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
shift || true
profiles=${*:-small medium adaptec1-like}
cache=${KORVANE_BENCH_CACHE:-/tmp/korvane-bench}
mkdir -p "$cache"
cmake --build "$build" --target Korvane check_result >/dev/null

printf '%-14s %4s %9s %9s %6s %10s %10s %9s %8s %8s %8s %9s\n' profile algo report-OF check-OF maxOF \
  wirelength vias upto2D-s LA-s total-s wall-s peak-MB
for p in $profiles; do
  problem=$cache/$p.gr
  [ -f "$problem" ] || python3 "$src/tools/gen_gr.py" --profile "$p" --seed 1 --quiet --out "$problem"
  for algo in ${ALGOS:-1 2 3}; do
    set_file=$cache/flow-$algo.set
    printf 'Via cost = %s\nMaze Routing Iteration = %s\nLayer Assignment Algorithm = %s\n3D Optimization Iteration = %s\nOutput Overflow Information = Yes\n' \
      "${VIA:-1}" "${MAZE:-1000}" "$algo" "${ROUNDS3D:-0}" > "$set_file"
    out=$cache/$p.$algo.out
    (cd "$build" && /usr/bin/time -v ./Korvane ISPD "$problem" "$set_file" "$out" > "$out.log" 2> "$out.time")
    check=$("$build/bench/check_result" "$problem" "$out")
    awk -v name="$p" -v algo="$algo" -v check="$check" '
      FILENAME ~ /ofinfo$/ && /^Total overflow/ { of = $4 }
      FILENAME ~ /ofinfo$/ && /^Max overflow/ { maxof = $4 }
      FILENAME ~ /ofinfo$/ && /^Wirelength/ { wl = $3 }
      FILENAME ~ /ofinfo$/ && /^Via count/ { vias = $4 }
      FILENAME ~ /log$/ && /CPU  Total Time/ && t2d == "" { t2d = $5 }
      FILENAME ~ /log$/ && /^Layer Assignment costs/ { tla = $4 }
      FILENAME ~ /log$/ && /CPU  Total Time/ { total = $5 }
      FILENAME ~ /time$/ && /Elapsed \(wall clock\)/ { wall = $8 }
      FILENAME ~ /time$/ && /Maximum resident/ { peak = $6 / 1024 }
      END { split(check, c, " ");
            printf "%-14s %4s %9s %9s %6s %10s %10s %9s %8s %8s %8s %9.0f\n", name, algo, of, c[2], maxof, wl, vias,
                   t2d, tla, total, wall, peak }' "$out.ofinfo" "$out.log" "$out.time"
    echo "  checker: $check"
  done
done
