#!/bin/sh
# Builds and runs the lookup-table tree benchmark against the release library and tables in build/.
set -e
cd "$(dirname "$0")/../.."
cmake --build build --target flute_bench steiner_tables
cd build && ./bench/flute_bench "$@"
