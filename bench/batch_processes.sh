#!/usr/bin/env bash
# Whole-process timings of the batch subcommands: the median of repeated runs, start-up and
# exit included, as a user's script pays them. Uses hyperfine where installed, else a loop.
#   bench/batch_processes.sh [path/to/facetor] [runs]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin=$(realpath "${1:-$root/build/dev/facetor/facetor}")
runs=${2:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

commands=(
  "--version"
  "listing --lattice fcc"
  "slab --lattice fcc --hkl 1 1 1"
  "render --lattice zincblende --termination A --hkl 1 1 1 --out zb.bmp"
  "render --lattice zincblende --termination A --hkl 1 1 1 --out zb.png"
  "materials"
  "materials --format json"
  "export --material Pt --hkl 1 1 1 --layers 6 --size 20x20 --out pt.xyz"
  "report --material Cu --hkl 7 5 5"
  "figure --material Pt --hkl 1 1 1 --out pt.png"
  "leed --material Cu --hkl 1 1 1 --energy 100"
)

median_of_loop() {
  local cmd=$1 times=()
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    # shellcheck disable=SC2086
    "$bin" $cmd >/dev/null 2>&1 || true
    end=$(date +%s%N)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ a[NR] = $1 } END { printf "%.1f", a[int((NR + 1) / 2)] / 1000 }'
}

printf '| command | median (ms) |\n|---|---|\n'
for cmd in "${commands[@]}"; do
  if command -v hyperfine >/dev/null; then
    hyperfine -N --runs "$runs" --warmup 3 --export-json "$work/h.json" "$bin $cmd" >/dev/null 2>&1 || true
    ms=$(python3 -c "import json; print('%.1f' % (json.load(open('$work/h.json'))['results'][0]['median'] * 1000))" 2>/dev/null || echo "-")
  else
    ms=$(median_of_loop "$cmd")
  fi
  printf '| `facetor %s` | %s |\n' "$cmd" "$ms"
done
