#!/usr/bin/env bash
# Builds one fuzz target with clang and libFuzzer and runs it for a while:
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is template_reader, expression, script or row_filter. The build goes
# to build/fuzz; the working corpus, which grows from run to run, to
# build/fuzz/corpus/TARGET (seeded from fuzz/corpus/TARGET); what libFuzzer
# finds (crash-*, timeout-*, leak-*) to build/fuzz/findings/TARGET. The run is
# niced and uses one core. Prints the executions and their rate at the end and
# adds them to build/fuzz/runs.txt (time, target, executions, rate, exit).
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(template_reader expression script row_filter)
if [ $# -lt 2 ] || [[ ! " ${targets[*]} " == *" $1 "* ]] || ! [[ "$2" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]" >&2
  echo "targets: ${targets[*]}" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2

for tool in clang clang++; do
  if ! command -v "$tool" >/dev/null; then
    echo "fuzz.sh: $tool is not installed (Debian: apt-get install clang)" >&2
    exit 1
  fi
done

build=build/fuzz
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -B "$build" -G Ninja -DTALVEN_FUZZ=ON -DTALVEN_BUILD_TESTS=OFF \
    -DTALVEN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
nice -n 10 cmake --build "$build" -j2 --target "fuzz_$target"

corpus=$build/corpus/$target
findings=$build/findings/$target
mkdir -p "$corpus" "$findings"
cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true

max_len=1024
[ "$target" = template_reader ] && max_len=4096
log=$build/fuzz-$target.log
echo "fuzz.sh: running fuzz_$target for $seconds s; log in $log" >&2
# A small quarantine and no fill of fresh memory: many times the executions,
# with use-after-free still caught within the quarantine. One process owns
# the corpus, so it is not read again while running (-reload=0; reading a
# folder of thousands of inputs every second costs most of the time).
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=10}
set +e
nice -n 10 "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len="$max_len" -reload=0 -print_final_stats=1 -artifact_prefix="$findings/" "$@" "$corpus" >"$log" 2>&1
status=$?
set -e
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
echo "fuzz_$target: ${runs:-?} executions, ${rate:-?} per second, exit $status; corpus $(ls "$corpus" | wc -l) inputs"
# Every run adds a line to the ledger, so that the executions add up.
echo "$(date -u +%FT%TZ) $target ${runs:-0} ${rate:-0} $status" >>"$build/runs.txt"
if [ "$status" -ne 0 ]; then
  grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -n 20 >&2 || true
fi
exit "$status"
