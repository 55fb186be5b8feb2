#!/bin/sh
# Every flag of the option table through a host's real pane: for each check
# box listed in tests/golden/pane-flags.txt (made from job/options.h), a
# scripted user opens the editor of an output style whose flags are all off,
# switches on the check box that enables it (when there is one), clicks it and
# confirms; the style must then hold the flag's key as 1, and the saved style
# file, opened again, must show the check box on. The pane must label each
# check box in English and in German with a text of the string table: neither
# the label key as written nor the same text in both languages.
#
#   run-flags.sh [--wine PREFIX] HOST SOURCE
#
# HOST is folantra-host, the Windows host under Wine (with --wine, as in
# run-golden.sh) or, with FOLANTRA_GOLDEN_TOOLKIT=appkit, the GNUstep host.
set -u
wine_prefix=
if [ "${1:-}" = --wine ] && [ $# -ge 2 ]; then
  wine_prefix=$2
  shift 2
fi
if [ $# -ne 2 ]; then
  echo "usage: $0 [--wine PREFIX] HOST SOURCE" >&2
  exit 2
fi
host=$1 source=$2
toolkit=${FOLANTRA_GOLDEN_TOOLKIT:-headless}
flags=$source/tests/golden/pane-flags.txt

if [ -n "$wine_prefix" ]; then
  if [ ! -f "$wine_prefix/.folantra-ready" ]; then
    "$source/cmake/wine-gui-run.sh" --prefix "$wine_prefix" "$host" --version >/dev/null 2>&1 || exit 2
  fi
  scratch=$(mktemp -d "$wine_prefix/drive_c/folantra-flags.XXXXXX") || exit 2
  scratch_host="C:\\$(basename "$scratch")"
else
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/folantra-flags.XXXXXX") || exit 2
  scratch_host=$scratch
fi
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/.config"
if [ "$toolkit" = appkit ]; then
  . "$source/tests/mac/gnustep-conf.sh" && write_gnustep_conf "$scratch" || exit 2
fi

host_path() {
  if [ -n "$wine_prefix" ]; then printf '%s\\%s' "$scratch_host" "$1"; else printf '%s/%s' "$scratch" "$1"; fi
}

# The host on the style file STYLES with the script SCRIPT (more arguments
# before the command); its narration, with LF line ends, into $scratch/out.txt.
run_host() { # STYLES SCRIPT SAVE-OR-EMPTY [HOST OPTIONS]
  styles=$1 script=$2 save=$3
  shift 3
  set -- "$@" style-editor --styles "$(host_path "$styles")" --style Plain --script "$(host_path "$script")"
  [ -n "$save" ] && set -- "$@" --save "$(host_path "$save")"
  (
    unset FOLANTRA_LOG
    HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" LC_ALL=C
    export HOME XDG_CONFIG_HOME LC_ALL
    if [ -n "$wine_prefix" ]; then
      "$source/cmake/wine-gui-run.sh" --prefix "$wine_prefix" "$host" "$@"
    elif [ "$toolkit" = appkit ]; then
      GNUSTEP_CONFIG_FILE="$scratch/GNUstep.conf" timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" "$host" "$@"
    else
      "$host" "$@"
    fi
  ) 2>"$scratch/err.txt" | tr -d '\r' >"$scratch/out.txt"
}

failed=0
fail() { echo "FAIL: $*"; failed=1; }
tab=$(printf '\t')
# The text of check box ID in the last narration's first listing of the pane.
box_text() { sed -n "s/^  check box $1$tab\"\(.*\)\" \[.*$/\1/p" "$scratch/out.txt" | head -1; }
box_state() { sed -n "s/^  check box $1$tab\".*\" \[\(on\|off\)\].*$/\1/p" "$scratch/out.txt" | tail -1; }

printf '<?xml version="1.0" encoding="UTF-8"?>\n<outputstyles>\n  <style name="Plain" kind="RTPX"><xtension code="KDIC"/></style>\n</outputstyles>\n' \
  >"$scratch/plain.xml"
printf 'show\ncancel\n' >"$scratch/show.txt"

# The labels in both languages.
run_host plain.xml show.txt "" --language 0
cp "$scratch/out.txt" "$scratch/english.txt"
run_host plain.xml show.txt "" --language 3
cp "$scratch/out.txt" "$scratch/german.txt"
rows=0
while IFS="$tab" read -r id key enabler label; do
  case "$id" in ''|'#'*) continue ;; esac
  rows=$((rows + 1))
  cp "$scratch/english.txt" "$scratch/out.txt"; en=$(box_text "$id")
  cp "$scratch/german.txt" "$scratch/out.txt"; de=$(box_text "$id")
  [ -n "$en" ] || fail "$key: no check box $id in the English pane"
  [ -n "$de" ] || fail "$key: no check box $id in the German pane"
  [ "$en" != "$label" ] || fail "$key: the English pane shows the label key \"$label\" (no English string)"
  [ "$de" != "$label" ] || fail "$key: the German pane shows the label key \"$label\" (no German string)"
  [ "$en" != "$de" ] || fail "$key: the same label \"$en\" in English and German (no German string)"

  # Clicked, stored and shown again.
  : >"$scratch/click.txt"
  [ "$enabler" != 0 ] && echo "click $enabler" >>"$scratch/click.txt"
  printf 'click %s\nok\n' "$id" >>"$scratch/click.txt"
  rm -f "$scratch/saved.xml"
  run_host plain.xml click.txt saved.xml
  grep -q "^style \"Plain\" holds: .* $key=\"1\"" "$scratch/out.txt" ||
    { fail "$key: check box $id clicked, but the style does not hold $key=\"1\""; cat "$scratch/out.txt" "$scratch/err.txt"; }
  run_host saved.xml show.txt ""
  [ "$(box_state "$id")" = on ] ||
    { fail "$key: the saved style opened again shows check box $id $(box_state "$id")"; cat "$scratch/out.txt"; }
done <"$flags"
[ "$rows" -gt 0 ] || fail "no flags in $flags"
[ "$failed" = 0 ] && echo "$rows flags clicked, stored, reloaded and labelled in English and German ($toolkit${wine_prefix:+, Wine})"
exit "$failed"
