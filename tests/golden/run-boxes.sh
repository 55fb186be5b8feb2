#!/bin/sh
# The boxes of a print job under the host's simulated modules: prints
# samples/brochure.json in the output style "Proof with boxes" with the
# host's options, distils it with Ghostscript and compares what
# folantra-preflight reads from the PDF with the expected file. The same
# expected files serve the Linux host and the GNUstep host, so both hosts
# give the same boxes for the same options.
#
#   run-boxes.sh HOST PREFLIGHT SOURCE EXPECTED [HOST OPTIONS]
#
# With FOLANTRA_GOLDEN_TOOLKIT=appkit, HOST is the GNUstep host
# (folantra-host-mac), run under Xvfb with GNUstep's user folders in the
# scratch folder. With FOLANTRA_UPDATE_GOLDEN=1 the expected file is written
# (by the Linux host only) instead of compared.
set -u
if [ $# -lt 4 ]; then
  echo "usage: $0 HOST PREFLIGHT SOURCE EXPECTED [HOST OPTIONS]" >&2
  exit 2
fi
host=$1 preflight=$2 source=$3 expected=$4
shift 4
toolkit=${FOLANTRA_GOLDEN_TOOLKIT:-headless}
if [ "$toolkit" = appkit ] && [ "${FOLANTRA_UPDATE_GOLDEN:-0}" = 1 ]; then
  echo "$0: the expected files are written by the Linux host (folantra-host), not the GNUstep host" >&2
  exit 2
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/folantra-boxes.XXXXXX") || exit 2
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/.config"
if [ "$toolkit" = appkit ]; then
  . "$source/tests/mac/gnustep-conf.sh" && write_gnustep_conf "$scratch" || exit 2
  set -- env GNUSTEP_CONFIG_FILE="$scratch/GNUstep.conf" timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" \
    "$host" "$@"
else
  set -- "$host" "$@"
fi
(
  unset FOLANTRA_LOG
  HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" LC_ALL=C
  export HOME XDG_CONFIG_HOME LC_ALL
  "$@" print "$source/samples/brochure.json" --styles "$source/samples/styles.xml" --style "Proof with boxes" \
    -o "$scratch/job.ps"
) >"$scratch/host.txt" 2>&1
status=$?
if [ $status -ne 0 ]; then
  cat "$scratch/host.txt"
  echo "$0: the host failed with exit status $status" >&2
  exit 1
fi
ps2pdf -dAutoRotatePages=/None "$scratch/job.ps" "$scratch/job.pdf" || { echo "$0: ps2pdf failed" >&2; exit 1; }
# What depends on the moment and the host's name is left out.
(cd "$scratch" && "$preflight" job.pdf) >"$scratch/preflight.txt" 2>&1
echo "--- exit status $?" >>"$scratch/preflight.txt"
grep -v -e '^  CreationDate: ' -e '^  ModDate: ' -e '^  Creator: ' -e '^  Producer: ' "$scratch/preflight.txt" \
  >"$scratch/boxes.txt"
if [ "${FOLANTRA_UPDATE_GOLDEN:-0}" = 1 ]; then
  cp "$scratch/boxes.txt" "$expected"
  echo "wrote $expected"
  exit 0
fi
if ! diff -u --label "expected: $expected" --label "read now" "$expected" "$scratch/boxes.txt"; then
  echo "The boxes differ from $expected (lines with - are expected, + are new)." >&2
  exit 1
fi
