#!/usr/bin/env bash
# Side-by-side benchmark of a given commit and the current tree: both are built (Release) in a
# temporary directory, then every run is made with one executable right after the other, so
# both see the same machine load. Prints per run the processor seconds of each stage, the total
# processor time (user + system) and the peak resident memory of both, their ratios (current /
# base), and whether the result files are byte-identical (cmp of .out and .ofinfo).
#
# Usage: bench/compare.sh [options] <base commit>
#   -p "profiles"   generated profiles (default: "small medium adaptec1-like")
#   -s "seeds"      seeds (default: 1)
#   -a "algos"      layer-assignment algorithms (default: 3)
#   -r "rounds"     3D optimisation rounds (default: 0)
#   -n count        repetitions per run; the smallest CPU time and memory are kept (default: 1)
#   -t dir          directory holding POWV9.dat / POST9.dat to copy (default: build)
#   -c dir          problem cache (default: $KORVANE_BENCH_CACHE or korvane-bench in the temp dir)
#   -k              keep the temporary directory (builds, outputs, logs)
# Problems missing from the cache are generated with tools/gen_gr.py. Via cost 1, maze 1000,
# overflow report on. Relative paths are taken from the current directory. Stage seconds are
# those of the last repetition.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/.." && pwd)

profiles="small medium adaptec1-like"
seeds=1
algos=3
rounds=0
repeat=1
tables=$src/build
cache=${KORVANE_BENCH_CACHE:-$(dirname "$(mktemp -u)")/korvane-bench}
keep=0
while getopts "p:s:a:r:n:t:c:k" opt; do
  case $opt in
    p) profiles=$OPTARG ;;
    s) seeds=$OPTARG ;;
    a) algos=$OPTARG ;;
    r) rounds=$OPTARG ;;
    n) repeat=$OPTARG ;;
    t) tables=$OPTARG ;;
    c) cache=$OPTARG ;;
    k) keep=1 ;;
    *) sed -n '2,19p' "$0" >&2; exit 1 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] || { sed -n '2,19p' "$0" >&2; exit 1; }
base_commit=$(git -C "$src" rev-parse --verify "$1^{commit}")
tables=$(cd "$tables" && pwd)
[ -f "$tables/POWV9.dat" ] && [ -f "$tables/POST9.dat" ] || { echo "no POWV9.dat/POST9.dat in $tables" >&2; exit 1; }
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)

work=$(mktemp -d)
cleanup() {
  git -C "$src" worktree remove --force "$work/base-src" >/dev/null 2>&1 || true
  if [ "$keep" = 1 ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

build() {  # <source dir> <build dir>
  cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DKORVANE_TESTS=OFF -DKORVANE_TABLES_DIR="$tables" >"$2.cmake.log" 2>&1 ||
    { cat "$2.cmake.log" >&2; exit 1; }
  cmake --build "$2" -j4 --target Korvane >"$2.build.log" 2>&1 || { tail -30 "$2.build.log" >&2; exit 1; }
  for t in POWV9.dat POST9.dat; do [ -f "$2/$t" ] || cp "$tables/$t" "$2/"; done
}
echo "base    $(git -C "$src" log -1 --format='%h %s' "$base_commit")"
echo "current $(git -C "$src" log -1 --format='%h %s') (working tree$(git -C "$src" diff --quiet HEAD || echo ', with changes'))"
git -C "$src" worktree add --detach "$work/base-src" "$base_commit" >/dev/null 2>&1
mkdir -p "$work/base" "$work/cur" "$work/out"
build "$work/base-src" "$work/base"
build "$src" "$work/cur"

# One run: <binary dir> <problem> <set file> <output>; prints "cpu-seconds peak-kB".
run() {
  (cd "$1" && /usr/bin/time -f "%U %S %M" -o "$4.time" ./Korvane ISPD "$2" "$3" "$4" >"$4.log" 2>&1) || true
  awk '{ printf "%.2f %d\n", $1 + $2, $3 }' "$4.time" | tail -1
}
# Stage seconds of a console log, in the order of the header below.
stages() {
  awk '/^Input File costs/ { i = $4 } /^Pattern Routing costs/ { p = $4 } /^Monotonic Routing costs/ { m = $4 }
       /^Maze Routing costs/ { z = $4 } /^Post Routing costs/ { q = $4 } /^Layer Assignment costs/ { l = $4 }
       /^Output File costs/ { o = $4 } /CPU  Total Time/ { t[n++] = $5 }
       END { d3 = n >= 3 ? t[n - 1] - t[n - 2] - o : 0
             printf "%.1f/%.1f/%.1f/%.1f/%.1f/%.1f/%.1f/%.1f", i, p, m, z, q, l, d3, o }' "$1"
}

printf '%-22s %-5s %-41s %8s %8s %6s %8s %8s %6s  %s\n' run which "stages: in/pat/mono/maze/post/LA/3D/out" \
  base-s cur-s ratio base-MB cur-MB ratio cmp
for p in $profiles; do
  for s in $seeds; do
    problem=$cache/$p-s$s.gr
    if [ ! -f "$problem" ]; then
      python3 "$src/tools/gen_gr.py" --profile "$p" --seed "$s" --quiet --out "$problem.tmp.$$"
      mv "$problem.tmp.$$" "$problem"
    fi
    for a in $algos; do
      for r in $rounds; do
        set_file=$work/set-$a-$r.set
        printf 'Via cost = 1\nMaze Routing Iteration = 1000\nLayer Assignment Algorithm = %s\n3D Optimization Iteration = %s\nOutput Overflow Information = Yes\n' \
          "$a" "$r" >"$set_file"
        name=$p-s$s-a$a-r$r
        best_b="" best_c=""
        for ((k = 0; k < repeat; ++k)); do
          rb=$(run "$work/base" "$problem" "$set_file" "$work/out/$name.base")
          rc=$(run "$work/cur" "$problem" "$set_file" "$work/out/$name.cur")
          best_b=$(printf '%s\n%s\n' "$best_b" "$rb" | awk 'NF == 2 && (c == "" || $1 < c) { c = $1 } NF == 2 && (m == "" || $2 < m) { m = $2 } END { print c, m }')
          best_c=$(printf '%s\n%s\n' "$best_c" "$rc" | awk 'NF == 2 && (c == "" || $1 < c) { c = $1 } NF == 2 && (m == "" || $2 < m) { m = $2 } END { print c, m }')
        done
        same=identical
        for ext in "" .ofinfo; do
          cmp -s "$work/out/$name.base$ext" "$work/out/$name.cur$ext" || same=DIFFERENT
        done
        read -r cb mb <<<"$best_b"
        read -r cc mc <<<"$best_c"
        awk -v n="$name" -v sb="$(stages "$work/out/$name.base.log")" -v sc="$(stages "$work/out/$name.cur.log")" \
          -v cb="$cb" -v cc="$cc" -v mb="$mb" -v mc="$mc" -v same="$same" 'BEGIN {
            printf "%-22s %-5s %-41s\n", n, "base", sb
            printf "%-22s %-5s %-41s %8.2f %8.2f %6.3f %8.0f %8.0f %6.3f  %s\n", "", "cur", sc, cb, cc,
              (cb > 0 ? cc / cb : 0), mb / 1024, mc / 1024, (mb > 0 ? mc / mb : 0), same }'
      done
    done
  done
done
