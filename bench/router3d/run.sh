#!/bin/sh
# Builds the layered-stage benchmark in build/ (configure it first:
# cmake -S . -B build -DCMAKE_BUILD_TYPE=Release) and runs it on a generated problem.
#   bench/router3d/run.sh <profile> [rounds] [seed]     e.g. bench/router3d/run.sh medium 3
# The stage's console lines go to <out>/<profile>-<seed>-3d.log; per-step times, peak memory
# and the checker's verdict are printed.
#
# Side by side with another build of the router (its build directory, with the Steiner tables):
#   bench/router3d/run.sh --compare <other build dir> <profile> [seed] [algorithm] [runs]
# runs build/Korvane and the other one at the same time on the same problem (via cost 1, maze
# 1000, one layered round), `runs` times, and prints per run the layered stage's CPU seconds
# (from the console's CPU totals), the whole run's CPU seconds (user + sys) and peak memory,
# the ratios this build / the other, and whether result and overflow files are identical.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/bench-router3d; mkdir -p "$out"
gen=$root/tools/gen_gr.py
problem() {  # profile seed -> path of the generated problem
  gr=$out/$1-$2.gr
  [ -f "$gr" ] || python3 "$gen" --profile "$1" --seed "$2" --quiet --out "$gr"
  echo "$gr"
}

if [ "$1" = "--compare" ]; then
  other=$(cd "$2" && pwd); profile=${3:-adaptec1-like}; seed=${4:-1}; algo=${5:-3}; runs=${6:-1}
  gr=$(problem "$profile" "$seed")
  set=$out/compare-$algo.set
  printf "Via cost = 1\nMaze Routing Iteration = 1000\nLayer Assignment Algorithm = %s\n3D Optimization Iteration = 1\nOutput Overflow Information = Yes\n" \
    "$algo" > "$set"
  # CPU seconds between the console's last CPU total before the layered stage and the one after it.
  stage() { awk '/CPU  Total Time/ {t = $5} /first round of 3D/ {a = t} /3D Routing costs/ {r = 1}
                 r && /CPU  Total Time/ {printf "%.2f", $5 - a; exit}' "$1"; }
  run() {  # build dir, tag
    (cd "$1" && /usr/bin/time -f "%U %S %M" -o "$out/cmp-$2.time" ./Korvane ISPD "$gr" "$set" "$out/cmp-$2.out" \
      > "$out/cmp-$2.log" 2>&1)
  }
  i=0
  while [ $i -lt "$runs" ]; do
    i=$((i + 1))
    run "$root/build" new & run "$other" ref & wait
    for t in new ref; do
      read -r u s m < "$out/cmp-$t.time"
      eval "${t}3d=$(stage "$out/cmp-$t.log") ${t}cpu=$(echo "$u + $s" | bc) ${t}mem=$((m / 1024))"
    done
    same=identical
    cmp -s "$out/cmp-new.out" "$out/cmp-ref.out" && cmp -s "$out/cmp-new.out.ofinfo" "$out/cmp-ref.out.ofinfo" ||
      same=DIFFERENT
    echo "$profile seed $seed algorithm $algo run $i: layered stage CPU $new3d s vs $ref3d s" \
      "(x$(echo "scale=3; $new3d / $ref3d" | bc)), whole run CPU $newcpu s vs $refcpu s" \
      "(x$(echo "scale=3; $newcpu / $refcpu" | bc)), peak $newmem MB vs $refmem MB; results $same"
  done
  exit 0
fi

profile=${1:-small}; rounds=${2:-3}; seed=${3:-1}
gr=$(problem "$profile" "$seed")
cmake --build "$root/build" --target Route3DBench >/dev/null
log=$out/$profile-$seed-3d.log
/usr/bin/time -f "process: %e s wall, %M KB peak" "$root/build/bench/Route3DBench" "$gr" "$rounds" "$out/$profile-$seed-3d" > "$log"
grep -E "3D Routing costs|Layer Assignment costs|^totalOF=" "$log"
