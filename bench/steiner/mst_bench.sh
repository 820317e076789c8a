#!/bin/sh
# Builds and runs the spanning-tree benchmark against the release library in build/.
set -e
cd "$(dirname "$0")/../.."
cmake --build build --target mst_bench
build/bench/mst_bench "$@"
