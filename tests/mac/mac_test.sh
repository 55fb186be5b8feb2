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
{ cat /etc/GNUstep/GNUstep.conf 2>/dev/null
  echo "GNUSTEP_USER_DIR_LIBRARY=$WORK/Library"
  echo "GNUSTEP_USER_DEFAULTS_DIR=$WORK/Defaults"
  echo "GNUSTEP_USER_DIR_APPS=$WORK/Applications"; } >"$WORK/GNUstep.conf"
export GNUSTEP_CONFIG_FILE=$WORK/GNUstep.conf
FAILED=0

# The host under Xvfb; its narration goes to $WORK/out.txt, its errors to $WORK/err.txt.
host() {
  timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" "$HOSTBIN" "$@" >"$WORK/out.txt" 2>"$WORK/err.txt"
  local rc=$?
  echo "$rc" >"$WORK/rc"
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
  expect "768	200	7"
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
  # Print to a file in the chosen folder, asking for its name.
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
  # No such application: the user is told, with the file.
  rm -rf "$WORK/Applications"
  host dialog "$WORK/doc.json" --script "$WORK/script.txt"
  expect_rc 0
  expect "Acrobat Distiller could not be started; the PostScript file was not distilled. / $WORK/out/Brochure.ps"
  [ "$(grep -c "could not be started" "$WORK/out.txt")" = 1 ] || fail "the failed start was not shown once"
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
  # The output-style editor: the pane stores into the style.
  script "click 2" ok
  host --styles "$SRC/samples/styles.xml" style-editor --style "Proof with boxes" --script "$WORK/script.txt"
  expect_rc 0
  expect "output-style editor confirmed"
  expect 'PageBorder'
  ;;
*)
  echo "unknown case $CASE"; exit 2 ;;
esac
[ $FAILED -eq 0 ] || show_log
exit $FAILED
