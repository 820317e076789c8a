#!/usr/bin/env bash
# Builds and runs the router memory benchmark against the release library in build/.
# Usage: bench/router/memory.sh [--3d]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD:-$root/build}"
[ -f "$build/libkorvane.a" ] || { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release && cmake --build "$build" -j 4 --target korvane; }
cmake --build "$build" -j 4 --target korvane >/dev/null
exe="$build/bench-router-memory"
c++ -std=c++20 -O2 -ffp-contract=off -I"$root/src" "$root/bench/router/RouterMemory.cpp" "$build/libkorvane.a" -o "$exe"
/usr/bin/time -v "$exe" "$@" 2>&1 | grep -E "^(grid|sizeof|router|resident|check)|Maximum resident"
