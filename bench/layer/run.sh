#!/bin/sh
# Builds the layer-assignment benchmark in build/ (configure it first:
# cmake -S . -B build -DCMAKE_BUILD_TYPE=Release) and runs it on a generated problem.
#   bench/layer/run.sh <profile> <algorithm> [seed]     e.g. bench/layer/run.sh adaptec1-like 3
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
profile=${1:-small}; algo=${2:-3}; seed=${3:-1}
out=$root/build/bench-layer; mkdir -p "$out"
gen=$root/tools/gen_gr.py
gr=$out/$profile-$seed.gr
[ -f "$gr" ] || python3 "$gen" --profile "$profile" --seed "$seed" --quiet --out "$gr"
cmake --build "$root/build" --target LaBench >/dev/null
/usr/bin/time -f "process: %e s wall, %M KB peak" "$root/build/bench/LaBench" "$gr" "$algo" "$out/$profile-$seed-la$algo"
