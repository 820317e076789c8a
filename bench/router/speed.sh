#!/usr/bin/env bash
# Builds and runs the planar router speed benchmark against the release library in build/.
# Usage: bench/router/speed.sh [connections]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD:-$root/build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j 4 --target RouterSpeed >/dev/null
exe="$build/bench/RouterSpeed"
/usr/bin/time -v "$exe" "$@" 2>&1 | grep -E "^(Pattern|DDPattern|MultiMaze)|Maximum resident|Elapsed"
