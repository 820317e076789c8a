#!/usr/bin/env bash
# Builds and runs the flute benchmark against the release library.
# Usage: bench/steiner/flute_md_bench.sh [build-dir]   (default: build; the tables must be there)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target korvane >/dev/null
g++ -std=c++20 -O2 -ffp-contract=off -I"$root/src" "$root/bench/steiner/flute_md_bench.cpp" \
  "$build/libkorvane.a" -o "$build/flute_md_bench"
cd "$build" && ./flute_md_bench
