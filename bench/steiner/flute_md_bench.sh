#!/usr/bin/env bash
# Builds and runs the flute benchmark against the release library.
# Usage: bench/steiner/flute_md_bench.sh [build-dir]   (default: build; the tables must be there)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cmake --build "$build" --target flute_md_bench >/dev/null
cd "$build" && ./bench/flute_md_bench
