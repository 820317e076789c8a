#!/usr/bin/env bash
# Builds and runs the router memory benchmark against the release library in build/.
# Usage: bench/router/memory.sh [--3d]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD:-$root/build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j 4 --target RouterMemory >/dev/null
exe="$build/bench/RouterMemory"
/usr/bin/time -v "$exe" "$@" 2>&1 | grep -E "^(grid|sizeof|router|resident|check)|Maximum resident"
