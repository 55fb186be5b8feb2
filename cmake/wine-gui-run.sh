#!/usr/bin/env bash
# Runs a Windows program that shows real windows: under Wine, on a private
# X server (Xvfb, 1280x800, 24 bits), in a Wine prefix of its own so that the
# windows' desktop never belongs to another display:
#
#   wine-gui-run.sh --prefix DIR PROGRAM [ARGUMENTS...]
#
# The Wine server of that prefix ends when the program and what it started
# (a distiller) have ended, so the next run starts on its own display. ctest runs these one at a time (resource lock
# "display").
set -euo pipefail
here=$(cd -- "$(dirname -- "$0")" && pwd)
[[ ${1:-} == --prefix && $# -ge 3 ]] || { echo "usage: wine-gui-run.sh --prefix DIR PROGRAM [ARGUMENTS...]" >&2; exit 2; }
prefix=$2
shift 2
status=0
FOLANTRA_WINE_LINGER=1 xvfb-run -a -s "-screen 0 1280x800x24" "$here/wine-run.sh" --prefix "$prefix" "$@" || status=$?
WINEPREFIX=$prefix timeout 20 wineserver -w >/dev/null 2>&1 || WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
exit $status
