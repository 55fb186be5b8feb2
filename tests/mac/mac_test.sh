#!/usr/bin/env bash
# End-to-end and window tests of the mac build against GNUstep: the plug-in's
# bundle in the GNUstep host, its windows driven through real AppKit controls
# under Xvfb, the PostScript distilled and read back.
#   mac_test.sh BUILD_DIR SOURCE_DIR CASE
set -uo pipefail
BUILD=$1 SRC=$2 CASE=$3
HOSTBIN=$BUILD/folantra-host-mac
WORK=$(mktemp -d /tmp/folantra-mac-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
export HOME=$WORK/home
mkdir -p "$HOME" "$WORK/out"
# GNUstep takes the user's folders from its configuration (not from HOME):
# this run's library (Application Support, defaults, applications) is its own.
. "$SRC/tests/mac/gnustep-conf.sh" && write_gnustep_conf "$WORK" || exit 2
export GNUSTEP_CONFIG_FILE=$WORK/GNUstep.conf
FAILED=0

# The host under Xvfb; its narration goes to $WORK/out.txt, its errors to $WORK/err.txt.
# Every run: no object of the plug-in's outlives the dialog it was made for,
# and no message reached a freed object (with NSZombieEnabled the host logs it).
host() {
  timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" "$HOSTBIN" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"
  local rc=$?
  echo "$rc" >"$WORK/rc"
  grep -F "left alive after" "$WORK/out.txt" && fail "objects of the plug-in outlived their dialog"
  grep -F "message sent to deallocated instance" "$WORK/err.txt" && fail "a message reached a freed object"
  return $rc
}
script() { printf '%s\n' "$@" >"$WORK/script.txt"; }
fail() { echo "FAIL: $*"; FAILED=1; }
expect() { grep -qF -- "$1" "$WORK/out.txt" || fail "the narration lacks: $1"; }
expect_not() { ! grep -qF -- "$1" "$WORK/out.txt" || fail "the narration shows: $1"; }
expect_rc() { [ "$(cat "$WORK/rc")" = "$1" ] || fail "exit code $(cat "$WORK/rc"), expected $1"; }
# A control's line in the narration of a window: kind and id, then its text and state.
expect_control() { expect "$(printf '  %s\t%s' "$1" "$2")"; }
# A document from the demo sample with the given settings block lines replaced.
document() { # name, then sed expressions
  local name=$1; shift
  sed "$@" -e "s|@OUT@|$WORK/out|" "$SRC/samples/brochure-demo.json" >"$WORK/$name"
}
show_log() { echo "---- narration"; cat "$WORK/out.txt"; echo "---- errors"; cat "$WORK/err.txt"; }

case "$CASE" in
startup)
  # The handshake and registrations: the pane's selectors in the host's
  # registry, the plain callbacks with flags 7, the nib file registered.
  host info
  expect_rc 0
  expect "164	200	1	doPrintDlg:"
  expect "728	200	1	doOutputStyles:"
  expect "768  print dialog closes        priority 200, flags 7"
  expect "resource-open 0 0 -> 1"
  expect "resource-call 5 0 -> 0"
  expect_not "gBundleRef"
  # The conventions of every program: --version, and 2 for a command it does not know.
  host --version
  expect_rc 0
  expect "folantra-host-mac 4.20"
  host frobnicate
  expect_rc 2
  ;;
missing-bundle)
  # The plug-in's file outside any bundle, and no XTensions folder beside the
  # host: the message, and start-up goes on without resources.
  mkdir -p "$WORK/app/plain"
  cp "$HOSTBIN" "$WORK/app/"
  cp "$BUILD/XTensions/Folantra.xnt/Folantra" "$WORK/app/plain/Folantra"
  HOSTBIN=$WORK/app/folantra-host-mac host --plugin "$WORK/app/plain/Folantra" info
  expect_rc 0
  expect "Internal error: gBundleRef = NULL"
  expect "setup:      done"
  expect "164	200	1	doPrintDlg:"
  ;;
print)
  # The print road: CR line ends, page boxes, border, scale and DOCINFO,
  # distilled by Ghostscript and read back with qpdf.
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|' -e 's|Distill=1|Distill=0|' -e 's|Scale=0|Scale=1|' \
    -e 's|ScX=1.0000|ScX=0.9000|' -e 's|ScY=1.0000|ScY=0.8000|'
  script ok
  host dialog "$WORK/doc.json" --script "$WORK/script.txt" -o "$WORK/job.ps"
  expect_rc 0
  grep -qa $'%%Folantra: 4.20\r' "$WORK/job.ps" || fail "no DSC comment ended by CR"
  grep -qa $'rectstroke grestore\r' "$WORK/job.ps" || fail "no border line ended by CR"
  grep -qa '/scX 0.9000 def /scY 0.8000 def' "$WORK/job.ps" || fail "no scale snippet"
  ps2pdf -dAutoRotatePages=/None "$WORK/job.ps" "$WORK/job.pdf" || fail "ps2pdf failed"
  "$BUILD/folantra-preflight" "$WORK/job.pdf" >"$WORK/boxes.txt" || fail "the preflight of the PDF failed"
  grep -q "TrimBox" "$WORK/boxes.txt" || fail "no TrimBox in the PDF"
  grep -q "BleedBox" "$WORK/boxes.txt" || fail "no BleedBox in the PDF"
  pdfinfo "$WORK/job.pdf" | grep -q "Title: *Frühjahrsbroschüre – Grüße aus Köln" || fail "no title in the PDF"
  pdfinfo "$WORK/job.pdf" | grep -q "Author: *Jürgen Maß" || fail "no author in the PDF"
  [ $FAILED -eq 0 ] || cat "$WORK/boxes.txt"
  ;;
pane)
  # The enabling rule and the scale fields through the real controls.
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|' -e 's|Distill=1|Distill=0|'
  script show "click 3" show "click 6" "type 12 75" "type 15 80.5" show ok
  host dialog "$WORK/doc.json" --script "$WORK/script.txt" -o "$WORK/job.ps" --save "$WORK/saved.json"
  expect_rc 0
  # Before: 5, 8, 9 and the fields disabled, 4 enabled (each "show" narrates the pane).
  for n in 1 2 3; do awk -v n=$n '/^pane "/{k++} /^[^ ]/ && !/^pane "/{if (k==n) exit} k==n' "$WORK/out.txt" >"$WORK/s$n"
    [ "$(wc -l <"$WORK/s$n")" -gt 10 ] || fail "no narration of the pane for the show step $n"; done
  grep -qP '^  check box 5\t.*\[disabled\]' "$WORK/s1" || fail "5 enabled with 3 off"
  grep -qP '^  button 8\t.*\[disabled\]' "$WORK/s1" || fail "8 enabled with 3 off"
  grep -qP '^  check box 4\t.*\[disabled\]' "$WORK/s1" && fail "4 disabled"
  grep -qP '^  field 12\t.*\[disabled\]' "$WORK/s1" || fail "12 enabled with 6 off"
  grep -qP '^  check box 5\t.*\[disabled\]' "$WORK/s2" && fail "5 still disabled with 3 on"
  grep -qP '^  button 9\t.*\[disabled\]' "$WORK/s2" && fail "9 still disabled with 3 on"
  grep -qP '^  field 15\t.*\[disabled\]' "$WORK/s3" && fail "15 still disabled with 6 on"
  grep -qP '^  field 12\t"75"' "$WORK/s3" || fail "field 12 does not hold the typed 75"
  grep -q 'ScX=0.7500' "$WORK/saved.json" || fail "scale X not stored as 0.75"
  grep -q 'ScY=0.8050' "$WORK/saved.json" || fail "scale Y not stored as 0.805"
  grep -q 'PrintToFile=1' "$WORK/saved.json" || fail "print to file not stored"
  ;;
folder)
  # Choose folder through the open panel, then Reset.
  mkdir -p "$WORK/chosen"
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|'
  script "click 3" "click 8" "folder $WORK/chosen" show "click 9" show cancel
  host dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect_rc 0
  expect_control "label 10" "\"$WORK/chosen\""
  expect_control "label 10" '""'
  ;;
metadata)
  # The metadata dialog: typed and confirmed, then opened again and cancelled.
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|'
  script "click 17" "type 3 Proof copy" "type 5 \"a, b\"" return "click 17" "type 3 Never" escape ok
  host dialog "$WORK/doc.json" --script "$WORK/script.txt" -o "$WORK/job.ps" --save "$WORK/saved.json"
  expect_rc 0
  expect_control "field 3" '"Frühjahrsbroschüre – Grüße aus Köln"'
  grep -q 'Title=Proof copy' "$WORK/saved.json" || fail "the title is not stored"
  grep -q 'Keywords=a, b' "$WORK/saved.json" || fail "the keywords are not stored"
  grep -q 'Never' "$WORK/saved.json" && fail "a cancelled title was stored"
  # A script that fails on the way saves nothing.
  script "click 17" "type 3 Lost" return "click 99" ok
  host dialog "$WORK/doc.json" --script "$WORK/script.txt" --save "$WORK/failed.json"
  expect_rc 1
  expect "the document is not saved: the script failed"
  [ ! -e "$WORK/failed.json" ] || fail "a failed script saved the document"
  ;;
keys)
  # Tab and Shift-Tab go through the metadata dialog's fields (the key view
  # loop the interface file leaves to the window), Return confirms.
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|'
  script "click 17" "type 3 Proof" tab show backtab show "type 4 Ann" return ok
  host dialog "$WORK/doc.json" --script "$WORK/script.txt" -o "$WORK/job.ps" --save "$WORK/saved.json"
  expect_rc 0
  awk '/^dialog "MetaData" titled/{k++} k==1' "$WORK/out.txt" | grep -qP '^  field 4\t.*\[focus\]' ||
    fail "Tab did not move from the title to the author"
  awk '/^dialog "MetaData" titled/{k++} k==2' "$WORK/out.txt" | grep -qP '^  field 3\t"Proof" \[focus\] \[selected "Proof"\]' ||
    fail "Shift-Tab did not come back to the title with its text selected"
  grep -q 'Title=Proof' "$WORK/saved.json" || fail "the title is not stored"
  grep -q 'Author=Ann' "$WORK/saved.json" || fail "the author is not stored"
  ;;
psname)
  # Print to a file in the chosen folder, asking for its name. The name stays
  # selected without its extension though the window becoming key selects the
  # whole field (the host does so, as AppKit may).
  document doc.json -e 's|AskForName=0|AskForName=1|' -e 's|Distill=1|Distill=0|'
  script ok show "type 4 proof-copy.ps" return
  host dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect_rc 0
  expect_control "field 4" '"Brochure.ps" [focus] [selected "Brochure"]'
  [ -s "$WORK/out/proof-copy.ps" ] || fail "no PostScript file $WORK/out/proof-copy.ps"
  ;;
alerts)
  # A folder that is gone: the message with the folder below it.
  document doc.json -e "s|Folder=@OUT@|Folder=$WORK/gone|" -e 's|Distill=1|Distill=0|'
  script "msgbox ok" cancel
  host dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect "Invalid folder for saving the PS-file, the desktop will be used instead. / $WORK/gone"
  # The host refuses the output file.
  document doc2.json -e 's|Distill=1|Distill=0|'
  script ok
  host --refuse-setfile 5 dialog "$WORK/doc2.json" --script "$WORK/script.txt"
  expect "Internal error: XTSetFile (5)"
  ;;
german)
  # Host language 3: the pane, the metadata dialog and the alert in German.
  document doc.json -e "s|Folder=@OUT@|Folder=$WORK/gone|"
  script "msgbox ok" show "click 17" show escape cancel
  host --language 3 dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect_rc 0
  expect "Ungültiger Ordner zum Speichern der PS-Datei!"
  expect_control "check box 3" '"In Datei drucken" [on]'
  expect_control "check box 5" '"Acrobat Distiller starten (nicht mit überwachten Ordnern verwenden)" [on]'
  expect_control "button 17" '"Metadaten…"'
  expect_control "button 2" '"Abbrechen"'
  ;;
prefs)
  # The preferences file in Application Support: AddPS=1 appends ".ps".
  mkdir -p "$WORK/Library/ApplicationSupport/Kestrovan"
  printf '[General]\nAddPS=1\n' >"$WORK/Library/ApplicationSupport/Kestrovan/Folantra.ini"
  document doc.json -e 's|Distill=1|Distill=0|'
  script ok
  host dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect_rc 0
  [ -s "$WORK/out/Brochure.qxp.ps" ] || fail "no $WORK/out/Brochure.qxp.ps"
  ;;
distiller)
  # The distiller started through the workspace: a stand-in application
  # records the file it was asked to open.
  "$SRC/tools/mac-distiller-app.sh" "$WORK/Applications" record "$WORK/opened.txt"
  document doc.json
  script ok
  host dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect_rc 0
  for i in $(seq 1 50); do [ -s "$WORK/opened.txt" ] && break; sleep 0.1; done
  grep -qx "$WORK/out/Brochure.ps" "$WORK/opened.txt" 2>/dev/null || fail "the distiller was not asked to open $WORK/out/Brochure.ps"
  expect_not "could not be started"
  ;;
no-window)
  # An interface file that sets no window: the message, the dialog answers 0
  # (nothing stored) and the pane goes on.
  mkdir -p "$WORK/app"
  cp "$HOSTBIN" "$WORK/app/"
  cp -r "$BUILD/XTensions" "$WORK/app/"
  sed -i '/<outlet property="window"/d' "$WORK/app/XTensions/Folantra.xnt/Resources/MetaData.xib"
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|'
  script "click 17" "msgbox ok" "click 2" show cancel
  HOSTBIN=$WORK/app/folantra-host-mac host dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect_rc 0
  expect "MyDlgController: _panel = NULL!"
  expect_control "check box 2" '"Pageborders (0.25pt, black)" [off]'
  ;;
style-editor)
  # The output-style editor: confirmed, the pane stores into the style;
  # cancelled, the style stays as it was.
  script "click 2" ok
  host style-editor --styles "$SRC/samples/styles.xml" --style "Proof with boxes" --script "$WORK/script.txt" \
    --save "$WORK/confirmed.xml"
  expect_rc 0
  expect "output-style editor confirmed"
  expect 'PageBorder="0"'
  script "click 2" "click 6" "type 12 50" cancel
  host style-editor --styles "$SRC/samples/styles.xml" --style "Proof with boxes" --script "$WORK/script.txt" \
    --save "$WORK/cancelled.xml"
  expect_rc 0
  expect "output-style editor cancelled"
  expect 'PageBorder="1"'
  expect 'ScX="1.00000"'
  script cancel
  host style-editor --styles "$SRC/samples/styles.xml" --style "Proof with boxes" --script "$WORK/script.txt" \
    --save "$WORK/untouched.xml"
  cmp -s "$WORK/cancelled.xml" "$WORK/untouched.xml" || fail "the cancelled editor changed the style file"
  ;;
kept-pane)
  # A host that keeps the pane's view after its dialog has closed with a field
  # being edited, then sends the view a key, the end of the editing and a click
  # on each button: nothing of it reaches the plug-in's freed controllers (with
  # CRASH_ON_ZOMBIE the host would abort), and the typed text was stored.
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|' -e 's|Distill=1|Distill=0|'
  script "click 6" "type 12 75" ok
  FOLANTRA_MAC_KEEP_PANE=1 host dialog "$WORK/doc.json" --script "$WORK/script.txt" --save "$WORK/saved.json"
  expect_rc 0
  expect "the host kept the pane's view and sent it a key into the field being edited, the end of its editing, 6 clicks"
  grep -q 'ScX=0.7500' "$WORK/saved.json" || fail "the text being edited was not stored"
  # The same in the output-style editor, cancelled.
  script "click 6" "type 15 80" cancel
  FOLANTRA_MAC_KEEP_PANE=1 host style-editor --styles "$SRC/samples/styles.xml" --style "Proof with boxes" \
    --script "$WORK/script.txt"
  expect_rc 0
  expect "the host kept the pane's view and sent it a key into the field being edited"
  ;;
cli-options)
  # One command line for every host: folantra-host-mac's help is
  # folantra-host's, for the program and for each command, and a table of
  # calls that takes every option the Linux host lists is accepted.
  LINUX=$BUILD/folantra-host
  [ -x "$LINUX" ] || { echo "FAIL: no $LINUX to compare with"; exit 1; }
  commands="info print dialog style-editor about language"
  for c in "" $commands; do
    "$LINUX" $c --help >"$WORK/linux-help.txt" 2>&1
    host $c --help
    sed 's/folantra-host-mac/folantra-host/g' "$WORK/out.txt" | diff -u "$WORK/linux-help.txt" - ||
      fail "the help of \"$c\" differs from folantra-host's"
  done
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|' -e 's|Distill=1|Distill=0|'
  STYLES=$SRC/samples/styles.xml
  printf 'ok\n' >"$WORK/ok.txt"
  printf 'click 2\nok\n' >"$WORK/edit.txt"
  covered=
  # A call of the host that must end with the exit code; its options are
  # noted as the command's ("" before the command).
  accepts() { # exit code, then the host's arguments
    local want=$1 cmd= a; shift
    host "$@"
    [ "$(cat "$WORK/rc")" = "$want" ] || { fail "exit code $(cat "$WORK/rc"), expected $want: $*"; show_log; }
    for a in "$@"; do
      case "$a" in
        info|print|dialog|style-editor|about|language) [ -z "$cmd" ] && cmd=$a ;;
        -o) covered="$covered $cmd:--output" ;;
        --*) covered="$covered $cmd:$a" ;;
      esac
    done
  }
  accepts 0 --help
  accepts 0 --version
  accepts 0 --plugin "$BUILD/XTensions/Folantra.xnt" info
  accepts 0 --language 3 info
  accepts 1 --refuse-handshake info
  accepts 0 --pdf-module present info
  accepts 0 --refuse-setfile 5 info
  accepts 0 --bleed-module 9 info
  accepts 0 info --json "$WORK/doc.json"
  python3 -c 'import json,sys; r=json.load(sys.stdin); assert r["handshake"] == "accepted" and r["registry"]' \
    <"$WORK/out.txt" || fail "info --json is not the result with the registry"
  accepts 0 info --help
  accepts 0 print "$WORK/doc.json" -o "$WORK/p1.ps" --styles "$STYLES" --style "Proof with boxes" \
    --save "$WORK/p1.json" --wait-distiller --json
  python3 -c 'import json,sys; r=json.load(sys.stdin); assert r["ok"] and r["style"] == "Proof with boxes"' \
    <"$WORK/out.txt" || fail "print --json is not the result"
  [ -s "$WORK/p1.ps" ] && [ -s "$WORK/p1.json" ] || fail "print wrote no job or no document"
  accepts 0 print "$WORK/doc.json" --no-dialog -o "$WORK/p2.ps"
  accepts 0 print --help
  accepts 0 dialog "$WORK/doc.json" --script "$WORK/ok.txt" --styles "$STYLES" -o "$WORK/d.ps" --save "$WORK/d.json" \
    --wait-distiller --json
  accepts 0 dialog --help
  accepts 0 style-editor --styles "$STYLES" --style "Proof with boxes" --script "$WORK/edit.txt" \
    --save "$WORK/s.xml" --json
  grep -q 'PageBorder' "$WORK/s.xml" || fail "the style editor saved no style file"
  accepts 0 style-editor --help
  accepts 0 about --no-record
  expect_not "about record byte"
  accepts 0 about --help
  accepts 0 language 3
  expect "language 3 sent"
  accepts 0 language --help
  # Every option of the Linux host's help, for the program and each command, was in a call.
  for c in "" $commands; do
    for o in $("$LINUX" $c --help | grep -oE '^ +(-[a-z],)?--[a-z-]+' | sed -E 's/^ +(-[a-z],)?//'); do
      case " $covered " in *" $c:$o "*) ;; *) fail "no call with ${c:-the program}'s option $o" ;; esac
    done
  done
  ;;
cli-usage)
  # What the Linux host refuses as a usage error, the GNUstep host refuses
  # too, with the same message: a line on how to get help, or what the
  # option takes.
  LINUX=$BUILD/folantra-host
  [ -x "$LINUX" ] || { echo "FAIL: no $LINUX to compare with"; exit 1; }
  while read -r line; do
    eval "set -- $line"
    "$LINUX" "$@" >/dev/null 2>"$WORK/linux-err.txt"
    linux_rc=$?
    host "$@"
    [ "$linux_rc" = 2 ] || fail "folantra-host $line: exit code $linux_rc, expected 2"
    [ "$(cat "$WORK/rc")" = 2 ] || fail "folantra-host-mac $line: exit code $(cat "$WORK/rc"), expected 2"
    sed 's/folantra-host-mac/folantra-host/g' "$WORK/err.txt" | diff -u "$WORK/linux-err.txt" - ||
      fail "folantra-host-mac $line: another message than folantra-host's"
    # A line on how to get help, or the values the option takes.
    grep -qE 'Run with --help for more information|--help tells more|: expected .*, not ' "$WORK/err.txt" ||
      fail "folantra-host-mac $line: no line on how to get help"
  done <<'LINES'
--frobnicate info
info --frobnicate
--frob x info
print --no-such-option doc.json
--language 65539 info
--language 3x info
--language -1 info
--language
--refuse-setfile 40000 info
--refuse-setfile 5x info
--bleed-module 1001 info
--bleed-module 9pt info
--pdf-module maybe info
language 3x
language 70000
language
prnt doc.json
style-editor --style x
""
LINES
  ;;
not-utf8)
  # Texts that are not UTF-8 (GNUstep's own start dies on them): a style's
  # name is kept as on Linux (narrated, saved), the print dialog offers the
  # style, JSON shows U+FFFD, and a file name or an environment entry that
  # is not UTF-8 changes nothing.
  name=$(printf 'Proof \377\376 bad')
  printf '<?xml version="1.0"?>\n<outputstyles><style name="%s" kind="RTPX"/></outputstyles>\n' "$name" >"$WORK/styles.xml"
  script "click 2" ok
  host style-editor --styles "$WORK/styles.xml" --style "$name" --script "$WORK/script.txt" --save "$WORK/saved.xml"
  expect_rc 0
  expect "output-style editor opened on \"$name\""
  expect "output-style editor confirmed"
  grep -qF "name=\"$name\"" "$WORK/saved.xml" || fail "the style's name was not saved as it was"
  host style-editor --json --styles "$WORK/styles.xml" --style "$name" --script "$WORK/script.txt"
  expect_rc 0
  python3 -c 'import json,sys; r=json.load(sys.stdin); assert r["style"] == "Proof \ufffd\ufffd bad" and r["ok"]' \
    <"$WORK/out.txt" || fail "the JSON result does not show the name with U+FFFD"
  document doc.json -e 's|PrintToFile=1|PrintToFile=0|' -e 's|Distill=1|Distill=0|'
  script show "style $name" ok
  host dialog "$WORK/doc.json" --styles "$WORK/styles.xml" --script "$WORK/script.txt" -o "$WORK/out/$(printf 'job-\377').ps"
  expect_rc 0
  expect "print dialog confirmed"
  [ -s "$WORK/out/$(printf 'job-\377').ps" ] || fail "the job is not in the file named on the command line"
  FOLANTRA_NOTE=$(printf 'caf\351') host info
  expect_rc 0
  expect "setup:      done"
  ;;
distiller-missing)
  # The document starts the distiller, and the workspace has no such
  # application: exit 1 and the message, as folantra-host does.
  document doc.json
  script ok
  host dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect_rc 1
  grep -qF 'folantra-host-mac: the distiller could not be started: the workspace has no application "Acrobat Distiller"' "$WORK/err.txt" ||
    fail "no message that the distiller could not be started"
  # The plug-in tells the user too, once, naming the file.
  expect "Acrobat Distiller could not be started; the PostScript file was not distilled. / $WORK/out/Brochure.ps"
  [ "$(grep -c "could not be started" "$WORK/out.txt")" = 1 ] || fail "the failed start was not shown once"
  [ -s "$WORK/out/Brochure.ps" ] || fail "no PostScript file"
  host print "$WORK/doc.json" --json
  expect_rc 1
  python3 -c 'import json,sys; r=json.load(sys.stdin); assert r["distiller"][0]["started"] is False and not r["ok"]' \
    <"$WORK/out.txt" || fail "the JSON result does not say the distiller was not started"
  grep -qF 'the job was printed, but the distiller failed' "$WORK/err.txt" || fail "print does not say the distiller failed"
  ;;
*)
  echo "unknown case $CASE"; exit 2 ;;
esac
[ $FAILED -eq 0 ] || show_log
exit $FAILED
