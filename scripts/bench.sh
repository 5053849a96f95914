#!/usr/bin/env bash
# Builds and runs the benchmarks natively, optimised, then prints how the
# time grows with the input: linear cost means about ten times the time for
# ten times the input.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
csv=$(mktemp)
trap 'rm -f "$csv"' EXIT
build/bench/bin/benchmarks --benchmark_min_time=1 --benchmark_out="$csv" --benchmark_out_format=csv
echo
echo "Growth of the time against the input:"
# Rows are named BM_Name/[entries:]SIZE[/sorted:N]; a series is the name without its size.
awk -F, '$1 ~ /^"BM_.*\/(entries:)?[0-9]+/ {
    name = $1; gsub(/"/, "", name)
    size = name; sub(/^[^\/]*\/(entries:)?/, "", size); sub(/\/.*/, "", size)
    series = name; sub(/\/(entries:)?[0-9]+/, "", series)
    if (series in last)
        printf "  %-28s %8s -> %-8s x%.1f input, x%.1f time\n", series, lastSize[series], size,
               size / lastSize[series], $3 / last[series]
    last[series] = $3; lastSize[series] = size
}' "$csv"
