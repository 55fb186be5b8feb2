#!/usr/bin/env bash
# The substitute host's peak memory (maximum resident set size) for print
# jobs of 1,000 and 32,767 pages with every option on.
#  1. In one process: the document built in memory, then printed into a file
#     (as the host does) and, for contrast, kept whole in memory.
#  2. The command-line host: reading the document file alone against reading
#     and printing it, with the size of the PostScript it writes.
# The job goes into its file as it is produced, so printing should add far
# less than the job's size to the peak.
#   bench/memory_bench.sh [BUILD_DIR]     (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build/release}
HOST=$BUILD/folantra-host
BENCH=$BUILD/bench/folantra_bench
[ -x "$HOST" ] && [ -x "$BENCH" ] || { echo "build the release preset first ($HOST, $BENCH)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time (GNU time) is not installed: no memory figures" >&2; exit 0; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config
mkdir -p "$HOME"
cat > "$WORK/styles.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<outputstyles>
  <style name="all" kind="RTPX"><xtension code="KDIC"><Folantra TrimBox="1" PageBorder="1" Scale="1" ScX="0.95" ScY="1.05" Title="Benchmark"/></xtension></style>
</outputstyles>
XML

peak_kb() { # command... -> maximum resident set size in kB
  /usr/bin/time -f '%M' -o "$WORK/rss" "$@" >/dev/null
  cat "$WORK/rss"
}

for pages in 1000 32767; do
  "$BENCH" --print-memory "$pages" "$WORK/job.ps"
  "$BENCH" --print-memory "$pages" -
done
echo
printf '%-7s %-9s %12s %12s %12s %12s\n' pages form "doc (MB)" "read (MB)" "print (MB)" "job (MB)"
for pages in 1000 32767; do
  "$BENCH" --write-document "$WORK/doc.json" "$pages"
  read_kb=$(peak_kb "$HOST" info "$WORK/doc.json")
  for form in standard compact; do
    if [ "$form" = compact ]; then
      mkdir -p "$XDG_CONFIG_HOME/Kestrovan"; printf '[General]\nCompact=1\n' > "$XDG_CONFIG_HOME/Kestrovan/Folantra.ini"
    else
      rm -f "$XDG_CONFIG_HOME/Kestrovan/Folantra.ini"
    fi
    print_kb=$(peak_kb "$HOST" print "$WORK/doc.json" --styles "$WORK/styles.xml" --style all -o "$WORK/job.ps")
    awk -v p="$pages" -v f="$form" -v d="$(stat -c %s "$WORK/doc.json")" -v r="$read_kb" -v k="$print_kb" \
        -v j="$(stat -c %s "$WORK/job.ps")" \
        'BEGIN { printf "%-7s %-9s %12.1f %12.1f %12.1f %12.1f\n", p, f, d / 1e6, r / 1024, k / 1024, j / 1e6 }'
  done
done
