#!/bin/sh
# Builds the layer-assignment benchmark against build/libkorvane.a (release build first:
# cmake -S . -B build -G Ninja && cmake --build build) and runs it on a generated problem.
#   bench/layer/run.sh <profile> <algorithm> [seed]     e.g. bench/layer/run.sh adaptec1-like 3
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
profile=${1:-small}; algo=${2:-3}; seed=${3:-1}
out=$root/build/bench-layer; mkdir -p "$out"
gen=$root/tools/gen_gr.py
gr=$out/$profile-$seed.gr
[ -f "$gr" ] || python3 "$gen" --profile "$profile" --seed "$seed" --quiet --out "$gr"
g++ -std=c++20 -O2 -ffp-contract=off -DKORVANE_SOURCE_DIR="\"$root\"" -I"$root/src" -I"$root/tests" -I"$root/bench" \
  "$root/bench/layer/LaBench.cpp" "$root/tests/support/LaTestProblem.cpp" "$root/tests/support/ResultChecker.cpp" \
  "$root/build/libkorvane.a" -o "$out/LaBench"
/usr/bin/time -f "process: %e s wall, %M KB peak" "$out/LaBench" "$gr" "$algo" "$out/$profile-$seed-la$algo"
