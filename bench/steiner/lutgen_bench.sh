#!/bin/sh
# Times the table generator for all degrees: with one thread and with THREADS threads (default 4).
# Prints per-degree statistics, wall and CPU seconds; the tables go to a temporary directory.
set -e
cd "$(dirname "$0")/../.."
cmake --build build --target lutgen
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for t in 1 "${THREADS:-4}"; do
  echo "== $t thread(s)"
  build/lutgen --out "$dir" --threads "$t"
done
