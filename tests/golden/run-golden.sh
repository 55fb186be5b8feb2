#!/bin/sh
# One golden transcript: runs folantra-host's print dialog on a document with
# a script of user actions, in a scratch home of its own, and compares what
# the host narrates with the expected file. The same expected files serve
# every toolkit's driver, so the transcript keeps only what does not depend
# on the machine: the scratch folder reads $SCRATCH, the source tree $SOURCE,
# and a dialog's place on the screen (which depends on the screen's size) is
# left out.
#
#   run-golden.sh HOST SOURCE EXPECTED DOCUMENT SCRIPT [MORE HOST ARGUMENTS]
#
# In DOCUMENT and SCRIPT, @SCRATCH@ stands for the scratch folder and @OUT@
# for its folder out/. With FOLANTRA_UPDATE_GOLDEN=1 the expected file is
# written instead of compared.
set -u
if [ $# -lt 5 ]; then
  echo "usage: $0 HOST SOURCE EXPECTED DOCUMENT SCRIPT [ARGUMENTS]" >&2
  exit 2
fi
host=$1 source=$2 expected=$3 document=$4 script=$5
shift 5

scratch=$(mktemp -d "${TMPDIR:-/tmp}/folantra-golden.XXXXXX") || exit 2
scratch=$(cd "$scratch" && pwd -P)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/.config" "$scratch/out"
sed -e "s|@SCRATCH@|$scratch|g" -e "s|@OUT@|$scratch/out|g" "$document" > "$scratch/document.json" || exit 2
sed -e "s|@SCRATCH@|$scratch|g" -e "s|@OUT@|$scratch/out|g" "$script" > "$scratch/script.txt" || exit 2

# A private home (no preferences, no log) and a distiller that does nothing.
env -u FOLANTRA_LOG HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" FOLANTRA_DISTILLER=true LC_ALL=C \
  "$host" dialog "$scratch/document.json" --script "$scratch/script.txt" -o "$scratch/out/job.ps" "$@" \
  >"$scratch/stdout" 2>"$scratch/stderr"
status=$?

normalise() {
  sed -e "s|$scratch|\$SCRATCH|g" -e "s|$source|\$SOURCE|g" \
      -e 's|^\(dialog "[^"]*" titled ".*", [0-9]* x [0-9]*\) at -\{0,1\}[0-9]*,-\{0,1\}[0-9]*$|\1|' \
      -e 's|^\(opened dialog "[^"]*" titled ".*", [0-9]* x [0-9]*\) at -\{0,1\}[0-9]*,-\{0,1\}[0-9]*$|\1|'
}
{
  normalise < "$scratch/stdout"
  if [ -s "$scratch/stderr" ]; then
    echo "--- standard error"
    normalise < "$scratch/stderr"
  fi
  echo "--- exit status $status"
} > "$scratch/transcript"

if [ "${FOLANTRA_UPDATE_GOLDEN:-0}" = 1 ]; then
  cp "$scratch/transcript" "$expected"
  echo "wrote $expected"
  exit 0
fi
if ! diff -u --label "expected: $expected" --label "narrated now" "$expected" "$scratch/transcript"; then
  echo "The narration differs from $expected (lines with - are expected, + are new)." >&2
  echo "If the change is intended, run the test again with FOLANTRA_UPDATE_GOLDEN=1 and review the file." >&2
  exit 1
fi
