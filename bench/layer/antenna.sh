#!/bin/sh
# Builds the antenna benchmark in build/ (configure it first) and runs it on a generated problem.
#   bench/layer/antenna.sh <profile> <algorithm 2|3> <antennaMaxLen> <aaPruneMode> <alBinSize> [seed]
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
profile=${1:-small}; algo=${2:-3}; limit=${3:-10}; mode=${4:-1}; bins=${5:-1}; seed=${6:-1}
out=$root/build/bench-layer; mkdir -p "$out"
gen=$root/tools/gen_gr.py
gr=$out/$profile-$seed.gr
[ -f "$gr" ] || python3 "$gen" --profile "$profile" --seed "$seed" --quiet --out "$gr"
cmake --build "$root/build" --target AntennaBench >/dev/null
/usr/bin/time -f "process: %e s wall, %M KB peak" "$root/build/bench/AntennaBench" "$gr" "$algo" "$limit" "$mode" "$bins" \
  "$out/$profile-$seed-antenna.txt"
