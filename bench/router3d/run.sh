#!/bin/sh
# Builds the layered-stage benchmark against build/libkorvane.a (release build first:
# cmake -S . -B build -G Ninja && cmake --build build) and runs it on a generated problem.
#   bench/router3d/run.sh <profile> [rounds] [seed]     e.g. bench/router3d/run.sh medium 3
# The stage's console lines go to <out>/<profile>-<seed>-3d.log; per-step times, peak memory
# and the checker's verdict are printed.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
profile=${1:-small}; rounds=${2:-3}; seed=${3:-1}
out=$root/build/bench-router3d; mkdir -p "$out"
gen=$root/tools/gen_gr.py
gr=$out/$profile-$seed.gr
[ -f "$gr" ] || python3 "$gen" --profile "$profile" --seed "$seed" --quiet --out "$gr"
g++ -std=c++20 -O2 -ffp-contract=off -DKORVANE_SOURCE_DIR="\"$root\"" -I"$root/src" -I"$root/tests" -I"$root/bench" \
  "$root/bench/router3d/Route3DBench.cpp" "$root/tests/support/LaTestProblem.cpp" \
  "$root/tests/support/ResultChecker.cpp" "$root/build/libkorvane.a" -o "$out/Route3DBench"
log=$out/$profile-$seed-3d.log
/usr/bin/time -f "process: %e s wall, %M KB peak" "$out/Route3DBench" "$gr" "$rounds" "$out/$profile-$seed-3d" > "$log"
grep -E "3D Routing costs|Layer Assignment costs|^totalOF=" "$log"
