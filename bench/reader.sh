#!/usr/bin/env bash
# Times the ISPD'08 reader on the generated adaptec1-like problem (about 220,000 nets).
# Usage: bench/reader.sh [build-dir]   (the problem is cached in $KORVANE_BENCH_CACHE or /tmp)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
cache=${KORVANE_BENCH_CACHE:-/tmp/korvane-bench}
mkdir -p "$cache"
problem=$cache/adaptec1-like.gr
[ -f "$problem" ] || python3 "$here/../tools/gen_gr.py" --profile adaptec1-like --seed 1 --quiet --out "$problem"
cmake --build "$build" --target read_ispd_bench >/dev/null
/usr/bin/time -v "$build/bench/read_ispd_bench" "$problem" 2> "$cache/time.txt"
grep -E "User time|Maximum resident" "$cache/time.txt"
