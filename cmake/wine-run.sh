#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix:
#
#   wine-run.sh [--prefix DIR] PROGRAM [ARGUMENTS...]
#
# ctest uses it as the cross-compiling emulator (the build passes --prefix
# <build>/wineprefix). The first run creates the prefix; a lock makes that safe
# when several tests start at once. Every run makes sure one wineserver is up
# and stays up FOLANTRA_WINE_LINGER seconds (default 30) after the last program
# ends, so a test start costs a fraction of a second instead of a cold start.
# FOLANTRA_WINE_DPI=N makes the prefix's screen N DPI (LogPixels; 96 when
# unset); a prefix made for another DPI is made anew.
set -euo pipefail

prefix=""
if [[ ${1:-} == --prefix ]]; then
    prefix=$2
    shift 2
fi
[[ $# -ge 1 ]] || { echo "usage: wine-run.sh [--prefix DIR] PROGRAM [ARGUMENTS...]" >&2; exit 2; }
: "${prefix:=${FOLANTRA_WINEPREFIX:-$PWD/wineprefix}}"
mkdir -p "$(dirname -- "$prefix")"
prefix=$(cd -- "$(dirname -- "$prefix")" && pwd)/$(basename -- "$prefix")

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
linger=${FOLANTRA_WINE_LINGER:-30}
dpi=${FOLANTRA_WINE_DPI:-96}
log=$prefix.log

# Makes a fresh prefix: Desktop, Documents and the other user folders become
# real folders inside it (a fresh prefix links them to $HOME), no window
# manager wait for closing windows, and Tahoma for "MS Shell Dlg".
create_prefix() {
    if [[ -d $prefix ]]; then
        wineserver -k >/dev/null 2>&1 || true
        rm -rf -- "$prefix"
    fi
    mkdir -p -- "$prefix"
    wineserver -p"$linger"
    wineboot -i
    local link
    while IFS= read -r -d '' link; do
        rm -f -- "$link"
        mkdir -p -- "$link"
    done < <(find "$prefix/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0)
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    if [[ $dpi != 96 ]]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    fi
    if compgen -G '/usr/share/wine/fonts/tahoma*.ttf' >/dev/null; then
        cp /usr/share/wine/fonts/tahoma*.ttf "$prefix/drive_c/windows/Fonts/"
    fi
    # The caption's close button is drawn with Marlett.
    if [[ -f /usr/share/wine/fonts/marlett.ttf ]]; then
        cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
    fi
    echo "$dpi" >"$prefix/.folantra-ready"
}

{
    flock 9
    # Nothing started here may keep the lock's descriptor (9): the wineserver
    # and Wine's own service processes outlive this script.
    made_for=$(cat "$prefix/.folantra-ready" 2>/dev/null || true)
    if [[ ! -f $prefix/.folantra-ready || ${made_for:-96} != "$dpi" ]]; then
        echo "wine-run.sh: creating the Wine prefix $prefix (log: $log)" >&2
        if ! create_prefix >"$log" 2>&1 9>&-; then
            echo "wine-run.sh: creating the Wine prefix failed; see $log" >&2
            exit 1
        fi
    fi
    # Exit code 2: a server for this prefix is already running. A fresh one is
    # warmed up with a trivial program so that Wine's service processes start
    # here, with their output going to the log rather than into a test's.
    if wineserver -p"$linger" </dev/null >>"$log" 2>&1 9>&-; then
        wine cmd /c exit </dev/null >>"$log" 2>&1 9>&- || true
    fi
    flock -u 9
} 9>"$prefix.lock"

exec wine "$@"
