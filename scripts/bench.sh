#!/usr/bin/env bash
# Measures Quittora's speed and memory against the budgets of DESIGN.md and
# writes the table into docs/speed.md (between its table markers).
#
#   scripts/bench.sh
#
# Builds the program and the benchmarks (RelWithDebInfo, in build/), makes the
# benchmark database once (50,000 documents, about 500,000 lines, 5,000
# customers, 5,000 articles; seed 1) and runs every benchmark with repetitions;
# the table shows the medians. Settings through the environment:
#   QUITTORA_BENCH_DB    the database to measure on (default:
#                        build/bench/Quittora-50k.qtb, made when missing)
#   BENCH_REPETITIONS    repetitions of each benchmark (default 5)
#   BUILD_DIR            build folder (default build)
# Exit code 0 when every budget is met, 2 when one is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
REPS=${BENCH_REPETITIONS:-5}
DB=${QUITTORA_BENCH_DB:-$BUILD/bench/Quittora-50k.qtb}

BENCHES=(startup_bench search_bench berechnen_bench overview_bench paging_bench print_bench einvoice_bench backup_bench)

bash scripts/setup.sh
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2 --target quittora plz-database generate speed-table "${BENCHES[@]}"

if [ ! -f "$DB" ]; then
  mkdir -p "$(dirname "$DB")"
  "$BUILD/bench/generate" "$DB"
fi
export QUITTORA_BENCH_DB=$DB

RESULTS=$(mktemp -d)
trap 'rm -rf "$RESULTS"' EXIT
for bench in "${BENCHES[@]}"; do
  extra=()
  # Many cases (every keystroke); each is short and steady.
  [ "$bench" = search_bench ] && extra+=(--benchmark_min_time=0.2)
  echo "== $bench"
  "$BUILD/bench/$bench" --benchmark_repetitions="$REPS" --benchmark_report_aggregates_only=true \
    --benchmark_out="$RESULTS/$bench.json" --benchmark_out_format=json "${extra[@]}"
done

cpu=$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')
machine="Gemessen am $(date +%Y-%m-%d) auf Stand $(git rev-parse --short HEAD), ${cpu}, Datenbank $(basename "$DB"), Median aus $REPS Wiederholungen"
status=0
"$BUILD/bench/speed-table" "$RESULTS" docs/speed.md "$machine" || status=$?
if [ "$status" -eq 2 ]; then
  echo "Mindestens ein Budget ist verfehlt (siehe docs/speed.md)." >&2
fi
exit "$status"
