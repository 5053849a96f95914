#!/usr/bin/env bash
# Builds and runs the benchmarks natively, optimised, then prints how the
# time grows with the input: linear cost means about ten times the time for
# ten times the input.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
out=$(mktemp)
trap 'rm -f "$out"' EXIT
build/bench/bin/benchmarks --benchmark_min_time=1 | tee "$out"
echo
echo "Growth of the time against the input (benchmark: input -> input, time ratio):"
awk '$1 ~ /^BM_/ && $1 !~ /_(BigO|RMS)$/ {
    name = $1; sub(/\/.*/, "", name)
    size = $1; sub(/^[^\/]*\//, "", size); sub(/^entries:/, "", size)
    series = name; rest = size; if (sub(/\/sorted:/, " sorted:", rest)) { split(rest, p, " "); size = p[1]; series = name " " p[2] }
    sub(/\/.*/, "", size)
    time = $2; unit = $3
    scale = (unit == "ns") ? 1e-6 : (unit == "us") ? 1e-3 : (unit == "s") ? 1e3 : 1
    ms = time * scale
    if (series in last) printf "  %-32s %8s -> %-8s x%.1f input, x%.1f time\n", series, lastSize[series], size, size / lastSize[series], ms / last[series]
    last[series] = ms; lastSize[series] = size
}' "$out"
