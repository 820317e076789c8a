#!/bin/sh
# Builds and runs the spanning-tree benchmark against the release library in build/.
set -e
cd "$(dirname "$0")/../.."
cmake --build build --target korvane
out=build/mst_bench
c++ -std=c++20 -O2 -ffp-contract=off -Isrc bench/steiner/mst_bench.cpp build/libkorvane.a -lbenchmark -lpthread -o "$out"
"$out" "$@"
