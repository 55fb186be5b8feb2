#!/bin/sh
# One golden transcript: runs folantra-host's print dialog on a document with
# a script of user actions, in a scratch home of its own, and compares what
# the host narrates with the expected file. The same expected files serve
# every toolkit's driver, so the transcript keeps only what does not depend
# on the machine: the scratch folder reads $SCRATCH, the source tree $SOURCE,
# and a dialog's place on the screen (which depends on the screen's size) is
# left out, and so are the host's reports of the distiller, which depend on
# whether the stand-in distiller has already ended when the host looks.
#
#   run-golden.sh [--wine PREFIX] HOST SOURCE EXPECTED DOCUMENT SCRIPT [MORE HOST ARGUMENTS]
#
# In DOCUMENT and SCRIPT, @SCRATCH@ stands for the scratch folder and @OUT@
# for its folder out/. With FOLANTRA_UPDATE_GOLDEN=1 the expected file is
# written instead of compared.
#
# With --wine, HOST is the Windows host (folantra-host.exe), run under Wine on
# a private X server in the Wine prefix PREFIX (cmake/wine-gui-run.sh). The
# scratch folder then lies on the prefix's drive C: (the shell's folder
# browser walks only the prefix's drives), its paths are Windows paths
# (C:\folantra-golden.XXXXXX\out), and the transcript is read back as on
# Linux: CR LF line ends become LF, and the scratch folder and the source tree
# become $SCRATCH and $SOURCE with / between the names below them.
#
# With FOLANTRA_GOLDEN_TOOLKIT=appkit, HOST is the GNUstep host
# (folantra-host-mac): it runs under Xvfb with GNUstep's user folders in the
# scratch folder and a stand-in distiller application that does nothing, and
# both transcripts leave out what AppKit shows otherwise by its nature: the
# sizes of dialogs and of the pane (the interface files' points, not the
# window descriptions' units), untagged empty labels (the interface files
# carry no invisible placeholders), the selection of a field without the
# keyboard focus (AppKit keeps one selection per window, in the field editor)
# and the program's name in its messages.
set -u
wine_prefix=
if [ "${1:-}" = --wine ] && [ $# -ge 2 ]; then
  wine_prefix=$2
  shift 2
fi
if [ $# -lt 5 ]; then
  echo "usage: $0 [--wine PREFIX] HOST SOURCE EXPECTED DOCUMENT SCRIPT [ARGUMENTS]" >&2
  exit 2
fi
host=$1 source=$2 expected=$3 document=$4 script=$5
shift 5
toolkit=${FOLANTRA_GOLDEN_TOOLKIT:-headless}
case "$toolkit" in
  headless|appkit) ;;
  *) echo "$0: FOLANTRA_GOLDEN_TOOLKIT is headless or appkit, not $toolkit" >&2; exit 2 ;;
esac
if [ "$toolkit" = appkit ] && [ "${FOLANTRA_UPDATE_GOLDEN:-0}" = 1 ]; then
  echo "$0: the expected files are written by the Linux host (folantra-host), not the GNUstep host" >&2
  exit 2
fi

if [ -n "$wine_prefix" ]; then
  # The prefix is made on its first use; the scratch folder goes inside it.
  if [ ! -f "$wine_prefix/.folantra-ready" ]; then
    "$source/cmake/wine-gui-run.sh" --prefix "$wine_prefix" "$host" --version >/dev/null 2>&1 || exit 2
  fi
  scratch=$(mktemp -d "$wine_prefix/drive_c/folantra-golden.XXXXXX") || exit 2
  scratch_host="C:\\$(basename "$scratch")"
  source_host="Z:$(printf '%s' "$source" | tr / '\\')"
else
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/folantra-golden.XXXXXX") || exit 2
  scratch_host=$scratch
  source_host=$source
fi
scratch=$(cd "$scratch" && pwd -P)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/.config" "$scratch/out"
if [ -n "$wine_prefix" ]; then
  # The distiller the plug-in starts by name: the build's stand-in (it only
  # records its command line) beside a copy of the host and its plug-in.
  host_dir=$(dirname "$host")
  mkdir -p "$scratch/bin"
  cp "$host" "$host_dir/standin/Acrobat Distiller.exe" "$scratch/bin/" || exit 2
  cp -r "$host_dir/XTensions" "$scratch/bin/" || exit 2
  host=$scratch/bin/$(basename "$host")
fi

# A path of the scratch folder as the host sees it: "sub/dir" below it.
host_path() {
  if [ -n "$wine_prefix" ]; then
    printf '%s\\%s' "$scratch_host" "$(printf '%s' "$1" | tr / '\\')"
  else
    printf '%s/%s' "$scratch" "$1"
  fi
}

# @SCRATCH@ and @OUT@ (with the names after them) as the host's paths; in a
# JSON document a \ is written \\.
substitute() { # FILE JSON
  if [ -n "$wine_prefix" ]; then
    GOLDEN_SCRATCH=$scratch_host GOLDEN_JSON=$2 perl -pe '
      s{\@(SCRATCH|OUT)\@((?:/[^\s"\\/]*)*)}{
        my $p = $ENV{GOLDEN_SCRATCH} . ($1 eq "OUT" ? "/out" : "") . $2;
        $p =~ tr{/}{\\};
        $p =~ s{\\}{\\\\}g if $ENV{GOLDEN_JSON};
        $p }ge' "$1"
  else
    sed -e "s|@SCRATCH@|$scratch|g" -e "s|@OUT@|$scratch/out|g" "$1"
  fi
}
substitute "$document" 1 > "$scratch/document.json" || exit 2
substitute "$script" "" > "$scratch/script.txt" || exit 2

# The host as the toolkit needs it started.
launch() {
  if [ "$toolkit" = appkit ]; then
    GNUSTEP_CONFIG_FILE="$scratch/GNUstep.conf" timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" "$@"
  else
    "$@"
  fi
}
if [ "$toolkit" = appkit ]; then
  # GNUstep's user folders (defaults, library, applications) in the scratch folder.
  . "$source/tests/mac/gnustep-conf.sh" && write_gnustep_conf "$scratch" || exit 2
  "$source/tools/mac-distiller-app.sh" "$scratch/Applications" record "$scratch/distilled.txt" || exit 2
fi

# A private home (no preferences, no log) and a distiller that does nothing
# (under Wine the stand-in above).
if [ -n "$wine_prefix" ]; then
  set -- "$source/cmake/wine-gui-run.sh" --prefix "$wine_prefix" "$host" dialog "$(host_path document.json)" \
    --script "$(host_path script.txt)" -o "$(host_path out/job.ps)" "$@"
else
  set -- "$host" dialog "$scratch/document.json" --script "$scratch/script.txt" -o "$scratch/out/job.ps" "$@"
fi
(
  unset FOLANTRA_LOG
  HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" FOLANTRA_DISTILLER=true LC_ALL=C
  export HOME XDG_CONFIG_HOME FOLANTRA_DISTILLER LC_ALL
  launch "$@"
) >"$scratch/stdout" 2>"$scratch/stderr"
status=$?

# Windows: LF line ends, and the scratch folder and source tree as on Linux.
unwine() {
  if [ -n "$wine_prefix" ]; then
    GOLDEN_SCRATCH=$scratch_host GOLDEN_SOURCE=$source_host GOLDEN_LINUX_SCRATCH=$scratch GOLDEN_LINUX_SOURCE=$source perl -pe '
      s{\r$}{};
      for my $p ([$ENV{GOLDEN_SCRATCH}, $ENV{GOLDEN_LINUX_SCRATCH}], [$ENV{GOLDEN_SOURCE}, $ENV{GOLDEN_LINUX_SOURCE}]) {
        my ($from, $to) = @$p;
        s{\Q$from\E((?:\\[^\\"\s]*)*)}{ (my $rest = $1) =~ tr{\\}{/}; $to . $rest }ge;
        # ... and in quotes, where a \ is written \\.
        (my $quoted = $from) =~ s{\\}{\\\\}g;
        s{\Q$quoted\E((?:\\\\[^\\"\s]*)*)}{ (my $rest = $1) =~ s{\\\\}{/}g; $to . $rest }ge;
      }'
  else
    cat
  fi
}

# What Wine and the X server say about themselves on standard error.
unwine_errors() {
  if [ -n "$wine_prefix" ]; then
    unwine | grep -v -e '^wine-run\.sh: ' -e '^wine: ' -e '^X connection to :[0-9]* broken'
  else
    cat
  fi
}

normalise() {
  sed -e "s|$scratch|\$SCRATCH|g" -e "s|$source|\$SOURCE|g" \
      -e 's|^\(dialog "[^"]*" titled ".*", [0-9]* x [0-9]*\) at -\{0,1\}[0-9]*,-\{0,1\}[0-9]*$|\1|' \
      -e '/^waiting for the distiller: /d' -e '/^the distiller finished (exit status 0): /d' \
      -e '/^the distiller runs on: /d' \
      -e 's|^\(opened dialog "[^"]*" titled ".*", [0-9]* x [0-9]*\) at -\{0,1\}[0-9]*,-\{0,1\}[0-9]*$|\1|'
}
# What AppKit shows otherwise by its nature (see above), left out of both
# transcripts.
tab=$(printf '\t')
toolkit_normalise() {
  if [ "$toolkit" = appkit ]; then
    sed -e 's|^folantra-host-mac: |folantra-host: |' \
        -e 's|^\(\(opened \)\{0,1\}dialog "[^"]*" titled ".*"\), [0-9]* x [0-9]*$|\1|' \
        -e 's|^\(\(with \)\{0,1\}pane "[^"]*"\), [0-9]* x [0-9]* .*$|\1|' \
        -e "/^  label -$tab\"\"\$/d" \
        -e '/\[focus\]/!s| \[selected ".*"\]$||'
  else
    cat
  fi
}
{
  unwine < "$scratch/stdout" | normalise
  unwine_errors < "$scratch/stderr" > "$scratch/errors"
  if [ -s "$scratch/errors" ]; then
    echo "--- standard error"
    normalise < "$scratch/errors"
  fi
  echo "--- exit status $status"
} | toolkit_normalise > "$scratch/transcript"
toolkit_normalise < "$expected" > "$scratch/expected" || exit 2

if [ "${FOLANTRA_UPDATE_GOLDEN:-0}" = 1 ]; then
  cp "$scratch/transcript" "$expected"
  echo "wrote $expected"
  exit 0
fi
if ! diff -u --label "expected: $expected" --label "narrated now" "$scratch/expected" "$scratch/transcript"; then
  echo "The narration differs from $expected (lines with - are expected, + are new)." >&2
  echo "If the change is intended, run the test again with FOLANTRA_UPDATE_GOLDEN=1 and review the file." >&2
  exit 1
fi
