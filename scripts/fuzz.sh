#!/usr/bin/env bash
# Builds one fuzz target with clang and libFuzzer and runs it:
#   scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]   fuzz for a while
#   scripts/fuzz.sh TARGET replay                           every corpus input once
# TARGET is template_reader, expression, script, row_filter, prepared_reader,
# prepared_draw (the two prepared-report targets share one corpus) or rtf. A
# target with a dictionary of tokens, fuzz/TARGET.dict, is run with it. The targets are
# built with AddressSanitizer and UndefinedBehaviorSanitizer in build/fuzz;
# with FUZZ_PLAIN=1 they are built without them in build/fuzz-plain, for
# several times the executions, and "replay" then runs what that found under
# the sanitizers. Both fuzz the same working corpus, which grows from run to
# run: build/fuzz/corpus/TARGET (seeded from fuzz/corpus/TARGET). What
# libFuzzer finds (crash-*, timeout-*, leak-*) goes to build/fuzz/findings/TARGET.
# Runs are niced and use one core; each prints its executions and their rate
# and adds a line to build/fuzz/runs.txt (time, target, build, executions,
# rate, exit code).
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(template_reader expression script row_filter prepared_reader prepared_draw rtf)
if [ $# -lt 2 ] || [[ ! " ${targets[*]} " == *" $1 "* ]] || ! [[ "$2" =~ ^([0-9]+|replay)$ ]]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS|replay [libFuzzer options...]" >&2
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

kind=asan
build=build/fuzz
sanitize=ON
if [ "${FUZZ_PLAIN:-0}" = 1 ] && [ "$seconds" != replay ]; then
  kind=plain
  build=build/fuzz-plain
  sanitize=OFF
fi
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -B "$build" -G Ninja -DTALVEN_FUZZ=ON -DTALVEN_FUZZ_SANITIZE=$sanitize \
    -DTALVEN_BUILD_TESTS=OFF -DTALVEN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
nice -n 10 cmake --build "$build" -j2 --target "fuzz_$target"

corpus=build/fuzz/corpus/$target
findings=build/fuzz/findings/$target
mkdir -p "$corpus" "$findings"
seeds=$target
[ "$target" = prepared_draw ] && seeds=prepared_reader
cp -n fuzz/corpus/"$seeds"/* "$corpus"/ 2>/dev/null || true

max_len=1024
case $target in template_reader | prepared_*) max_len=4096 ;; esac
dict=()
[ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
log=build/fuzz/fuzz-$target-$kind.log
if [ "$seconds" = replay ]; then
  kind=replay
  limits=(-runs=0)
  echo "fuzz.sh: running every input of $corpus through fuzz_$target; log in $log" >&2
else
  limits=(-max_total_time="$seconds")
  echo "fuzz.sh: running fuzz_$target ($kind) for $seconds s; log in $log" >&2
fi
# A small quarantine and no fill of fresh memory: many times the executions,
# with use-after-free still caught within the quarantine. One process owns
# the corpus, so it is not read again while running (-reload=0; reading a
# folder of thousands of inputs every second costs most of the time).
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16:max_malloc_fill_size=0:malloc_context_size=10}
# fontconfig keeps its caches for the life of the process, as in the tests.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
set +e
nice -n 10 "$build/fuzz/fuzz_$target" "${limits[@]}" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" -reload=0 \
  -print_final_stats=1 -artifact_prefix="$findings/" "${dict[@]}" "$@" "$corpus" >"$log" 2>&1
status=$?
set -e
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
echo "fuzz_$target ($kind): ${runs:-?} executions, ${rate:-?} per second, exit $status; corpus $(ls "$corpus" | wc -l) inputs"
# Every run adds a line to the ledger, so that the executions add up.
echo "$(date -u +%FT%TZ) $target $kind ${runs:-0} ${rate:-0} $status" >>build/fuzz/runs.txt
if [ "$status" -ne 0 ]; then
  grep -E "ERROR|SUMMARY|Test unit written" "$log" | head -n 20 >&2 || true
fi
exit "$status"
