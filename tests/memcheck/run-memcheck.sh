#!/usr/bin/env bash
# The optimised host and plug-in under valgrind's memcheck: a print, a scripted
# print dialog and a scripted style edit, each of which must end with the
# host's success and without a single memory error or leak (definite or
# indirect). No suppressions: the command-line host uses nothing of the
# system that valgrind would report.
#
#   tests/memcheck/run-memcheck.sh [BUILD]    (default build/release)
#
# Prints one line per run and "memcheck: N passed, N failed"; exit status 1
# when any run failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=${1:-$src/build/release}
host=$build/folantra-host
if [ ! -x "$host" ]; then
  echo "no $host: build the release preset first" >&2
  exit 2
fi
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/folantra-memcheck.XXXXXX") || exit 2
trap 'rm -rf -- "$scratch"' EXIT
mkdir -p "$scratch/home/.config/Kestrovan" "$scratch/out"
# A private home with a preferences file, and a distiller that does nothing.
printf '[General]\r\nTB=1\r\nCropBox=1\r\n' > "$scratch/home/.config/Kestrovan/Folantra.ini"
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config FOLANTRA_DISTILLER=true LC_ALL=C
unset FOLANTRA_LOG
# The sample whose stored settings print into out/ with boxes, border and
# document info, blank pages prepared, and start the distiller.
sed "s|@OUT@|$scratch/out|" "$src/samples/brochure-demo.json" > "$scratch/demo.json"

# --keep-debuginfo: the host unloads the plug-in before it ends, and a leak
# found then still names the plug-in's lines.
valgrind_args=(valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect
               --errors-for-leak-kinds=definite,indirect --track-origins=yes --keep-debuginfo=yes)

passed=0 failed=0
# check NAME EXPECTED-FILE HOST-ARGUMENTS...: the run succeeds, valgrind is
# silent, and the file the run is to write is there.
check() {
  local name=$1 made=$2 status
  shift 2
  "${valgrind_args[@]}" "$host" "$@" >"$scratch/$name.out" 2>"$scratch/$name.err"
  status=$?
  if [ "$status" -eq 0 ] && ! grep -q '^==[0-9]*==' "$scratch/$name.err" && [ -s "$made" ]; then
    echo "memcheck: $name passed"
    passed=$((passed + 1))
  else
    echo "memcheck: $name FAILED (exit status $status$([ "$status" -eq 99 ] && echo ': valgrind found errors'))"
    cat "$scratch/$name.out" "$scratch/$name.err"
    failed=$((failed + 1))
  fi
}

check print "$scratch/out/Brochure.ps" print "$scratch/demo.json" --wait-distiller --save "$scratch/printed.json"
check dialog "$scratch/dialog.json" dialog "$src/samples/brochure.json" --script "$src/samples/pane-script.txt" \
  -o "$scratch/out/dialog.ps" --save "$scratch/dialog.json"
check style-edit "$scratch/styles.xml" style-editor --styles "$src/samples/styles.xml" --style "Proof with boxes" \
  --script "$src/samples/style-script.txt" --save "$scratch/styles.xml"

echo "memcheck: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
