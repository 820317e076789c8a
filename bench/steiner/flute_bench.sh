#!/bin/sh
# Builds and runs the lookup-table tree benchmark against the release library and tables in build/.
set -e
cd "$(dirname "$0")/../.."
cmake --build build --target korvane steiner_tables
out=build/flute_bench
c++ -std=c++20 -O2 -ffp-contract=off -Isrc bench/steiner/flute_bench.cpp build/libkorvane.a -lbenchmark -lpthread -o "$out"
cd build && ./flute_bench "$@"
