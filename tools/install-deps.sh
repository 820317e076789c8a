#!/usr/bin/env bash
# Installs the build and test tools on a Debian machine when any is missing (needs root), and
# Google Benchmark, which only the benchmark programs flute_bench and mst_bench need: without root
# its absence is a note, and those two are left out of the build.
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v make >/dev/null || need+=(make)
command -v python3 >/dev/null || need+=(python3)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/gmock/gmock.h ] || need+=(libgmock-dev)
if [ ! -f /usr/include/benchmark/benchmark.h ]; then
  if [ "$(id -u)" = 0 ]; then
    need+=(libbenchmark-dev)
  else
    echo "optional package missing: libbenchmark-dev (flute_bench and mst_bench are left out)" >&2
  fi
fi
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "missing packages: ${need[*]} (run as root or install them)" >&2
    exit 1
  fi
  apt-get update
  apt-get install -y --no-install-recommends "${need[@]}"
fi
