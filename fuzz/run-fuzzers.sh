#!/usr/bin/env bash
# Runs the libFuzzer targets: a short run of each by default (20 seconds
# divided among them, about half a minute in all with libFuzzer's start and
# stop, for the test suite), longer on demand.
#
#   fuzz/run-fuzzers.sh [--build DIR] [--seconds N | --execs N] [--parallel N] [--max-len N] [target...]
#
#   --build DIR    build folder (default: build/fuzz, as the "fuzz" preset makes it);
#                  configured with clang and FOLANTRA_FUZZ=ON when it is not there yet
#   --seconds N    seconds per target (default: 20 divided among the targets, at least 1;
#                  libFuzzer stops in the second after that)
#   --execs N      executions per target instead of a time (--runs N is the same)
#   --parallel N   targets run at the same time (default 1)
#   --max-len N    longest input tried (default: libFuzzer's choice)
#   target...      any of fuzz_xmlreader fuzz_settings fuzz_strings fuzz_utf fuzz_document
#                  fuzz_styles fuzz_paths fuzz_script fuzz_windesc fuzz_docinfo fuzz_scale
#                  fuzz_destination (default: all)
#
# The corpus grows in DIR/fuzz-corpus/<target> (the seeds in fuzz/corpus are read
# too); findings go to DIR/fuzz-artifacts/. Exit status 1 when any target failed.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
src=$(dirname "$here")
build="$src/build/fuzz"
seconds=""
runs=""
parallel=1
maxlen=""
targets=()
all=(fuzz_xmlreader fuzz_settings fuzz_strings fuzz_utf fuzz_document fuzz_styles fuzz_paths fuzz_script
     fuzz_windesc fuzz_docinfo fuzz_scale fuzz_destination)

while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --runs|--execs) runs=$2; shift 2 ;;
    --parallel) parallel=$2; shift 2 ;;
    --max-len) maxlen=$2; shift 2 ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    fuzz_*) targets+=("$1"); shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
if [ -z "$seconds" ] && [ -z "$runs" ]; then
  seconds=$(( 20 / ${#targets[@]} ))
  [ "$seconds" -ge 1 ] || seconds=1
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DFOLANTRA_FUZZ=ON -DFOLANTRA_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

mkdir -p "$build/fuzz-artifacts"
# Absolute, since a target may change its working folder before its corpus is read.
build=$(cd "$build" && pwd)
run_one() {
  local t=$1
  local corpus="$build/fuzz-corpus/$t"
  local log="$build/fuzz-artifacts/$t.log"
  mkdir -p "$corpus"
  local limit
  if [ -n "$runs" ]; then limit="-runs=$runs"; else limit="-max_total_time=$seconds"; fi
  local extra=()
  [ -z "$maxlen" ] || extra=(-max_len="$maxlen")
  local start end status=0
  start=$(date +%s.%N)
  "$build/fuzz/$t" "$limit" "${extra[@]}" -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" \
    "$corpus" "$here/corpus/$t" >"$log" 2>&1 || status=$?
  end=$(date +%s.%N)
  local execs
  execs=$(grep -a -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' | tail -n 1 || true)
  printf '%-16s %s  %12s executions  %8.1f s%s\n' "$t" "$([ $status -eq 0 ] && echo ok || echo FAILED)" \
    "${execs:-?}" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$([ $status -eq 0 ] || echo "  (see $log)")"
  return $status
}

failed=0
running=0
for t in "${targets[@]}"; do
  if [ "$running" -ge "$parallel" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run_one "$t" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit $failed
