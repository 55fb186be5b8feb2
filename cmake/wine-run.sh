#!/usr/bin/env bash
# Runs a Windows test program under Wine in the build's own prefix.
set -euo pipefail
: "${WINEPREFIX:=${FOLANTRA_WINEPREFIX:-$PWD/wineprefix}}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
