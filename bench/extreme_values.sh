#!/bin/bash
# Routes generated problems whose values are pushed to the limits the README allows (widest pitch,
# most tracks per edge, adjustments raised to the track limit and repeated past a 32-bit sum, a
# pin blockage factor near the largest double) with every layer-assignment algorithm and with a
# 3D round, and reports any run that fails or prints a sanitizer diagnostic. Meant for the
# sanitizer build:
#
#   bench/extreme_values.sh build-asan [profile] [seeds...]     (default: tiny 1 2)
#
# Prints one line per run and "clean" or the number of bad runs at the end; exit status 1 if any.
set -u
build=$(cd "$1" && pwd)
profile=${2:-tiny}
shift 2 2>/dev/null || shift $#
seeds=${*:-1 2}
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# extreme <in.gr> <out.gr> <kind>: rewrites the layer lists and adjustments of a generated problem.
extreme() {
  python3 - "$1" "$2" "$3" <<'EOF'
import sys
src, dst, kind = sys.argv[1:]
lines = open(src).read().split('\n')
layers = int(lines[0].split()[3])
def layer_list(i, values):
    lines[i] = lines[i].split('\t')[0] + '\t' + ' '.join(map(str, values))
old_v = [int(v) for v in lines[1].split()[2:]]
old_h = [int(v) for v in lines[2].split()[2:]]
hori = [j % 2 == 0 for j in range(layers)]
per_dir = [(layers + 1) // 2, layers // 2]  # layers with horizontal, vertical tracks
if kind == 'pitch':      # widest pitch, a few tracks
    pitch, tracks = 1000000, [3, 3]
else:                    # pitch 1, the tracks of a direction at the per-edge limit
    pitch, tracks = 1, [1000000 // per_dir[0], 1000000 // per_dir[1]]
layer_list(1, [0 if hori[j] else tracks[1] * pitch for j in range(layers)])
layer_list(2, [tracks[0] * pitch if hori[j] else 0 for j in range(layers)])
layer_list(3, [1] * layers)
layer_list(4, [pitch - 1] * layers)
# Adjustments after the nets: scaled to the new capacities (0 stays 0); for 'raise' every one
# goes to the track limit and the first is repeated until the sum passes 2^31.
i = next(k for k, l in enumerate(lines) if l.startswith('num net'))
k = i + 1
for _ in range(int(lines[i].split()[2])):
    k += 1 + int(lines[k].split()[2])
while k < len(lines) and not lines[k].strip():
    k += 1
count = int(lines[k]) if k < len(lines) and lines[k].strip() else 0
adj = []
for l in lines[k + 1:k + 1 + count]:
    f = l.split()
    z = int(f[2]) - 1
    full = tracks[0] if hori[z] else tracks[1]
    old = old_h[z] if hori[z] else old_v[z]
    cap = 1000000 if kind == 'raise' else (min(int(f[6]), old) * full // max(old, 1)) * pitch
    adj.append(' '.join(f[:6] + [str(cap)]))
if kind == 'raise' and adj:
    adj += [adj[0]] * 2200
out = lines[:k] + [str(len(adj))] + adj
open(dst, 'w').write('\n'.join(out) + '\n')
EOF
}

bad=0
for seed in $seeds; do
  python3 "$here/tools/gen_gr.py" --profile "$profile" --seed "$seed" --quiet --out "$work/base.gr"
  for kind in pitch tracks raise; do
    extreme "$work/base.gr" "$work/$kind.gr" "$kind"
    for flow in "1 0 0" "2 0 0" "3 0 0" "3 1 0" "3 0 1.7e308"; do
      read -r algo rounds factor <<<"$flow"
      sed -e "s/^Layer Assignment Algorithm = .*/Layer Assignment Algorithm = $algo/" \
          -e "s/^3D Optimization Iteration = .*/3D Optimization Iteration = $rounds/" \
          -e "s/^Pin Blockage Factor = .*/Pin Blockage Factor = $factor/" \
          -e "s/^Maze Routing Iteration = .*/Maze Routing Iteration = 10/" \
          "$here/examples/default.set" >"$work/p.set"
      (cd "$build" && ./Korvane ISPD "$work/$kind.gr" "$work/p.set" "$work/r.out" >"$work/log" 2>"$work/err")
      status=$?
      diag=$(grep -c 'runtime error\|Sanitizer' "$work/err")
      verdict=ok
      if [ $status -ne 0 ] || [ "$diag" -ne 0 ]; then verdict="BAD (status $status)"; bad=$((bad + 1)); fi
      echo "$profile seed $seed $kind algorithm $algo rounds $rounds factor $factor: $verdict"
      [ "$verdict" = ok ] || head -3 "$work/err"
    done
  done
done
if [ $bad -eq 0 ]; then echo clean; else echo "$bad bad runs"; exit 1; fi
