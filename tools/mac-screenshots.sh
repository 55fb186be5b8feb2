#!/usr/bin/env bash
# Pictures of the mac build's windows under GNUstep and Xvfb: the print dialog
# with the pane (English and German), the style editor, the metadata and
# file-name dialogs and an alert, into OUT (default out/screenshots/macos).
#   tools/mac-screenshots.sh BUILD_DIR [OUT]
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$(dirname "$0")/.." && pwd)
OUT=${2:-$SRC/out/screenshots/macos}
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
WORK=$(mktemp -d /tmp/folantra-shots-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/out"
{ cat /etc/GNUstep/GNUstep.conf 2>/dev/null
  echo "GNUSTEP_USER_DIR_LIBRARY=$WORK/Library"
  echo "GNUSTEP_USER_DEFAULTS_DIR=$WORK/Defaults"; } >"$WORK/GNUstep.conf"
export GNUSTEP_CONFIG_FILE=$WORK/GNUstep.conf

run_host() { # prefix, then the host's arguments
  local prefix=$1; shift
  FOLANTRA_SHOT_DIR=$OUT FOLANTRA_SHOT_PREFIX=$prefix timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" \
    "$BUILD/folantra-host-mac" "$@" >"$WORK/narration.txt" 2>&1 ||
    { cat "$WORK/narration.txt"; return 1; }
  grep '^picture' "$WORK/narration.txt" || true
}

# A stored folder that is gone (the alert), the print dialog and the metadata dialog.
sed -e "s|Folder=@OUT@|Folder=$WORK/gone|" -e 's|Distill=1|Distill=0|' \
  "$SRC/samples/brochure-demo.json" >"$WORK/gone.json"
printf '%s\n' "msgbox ok" "click 6" "click 17" escape cancel >"$WORK/pane.txt"
# The file-name dialog of a job that asks for the name.
sed -e "s|@OUT@|$WORK/out|" -e 's|AskForName=0|AskForName=1|' -e 's|Distill=1|Distill=0|' \
  "$SRC/samples/brochure-demo.json" >"$WORK/ask.json"
printf '%s\n' ok return >"$WORK/ask.txt"
printf '%s\n' "click 2" ok >"$WORK/style.txt"

for lang in en de; do
  code=2; [ $lang = de ] && code=3
  run_host "$lang-" --language $code dialog "$WORK/gone.json" --script "$WORK/pane.txt"
  run_host "$lang-" --language $code dialog "$WORK/ask.json" --script "$WORK/ask.txt"
  run_host "$lang-" --language $code style-editor --styles "$SRC/samples/styles.xml" --style "Proof with boxes" \
    --script "$WORK/style.txt"
done
