#!/usr/bin/env bash
# End-to-end cases through the Windows host and DLL under Wine; what they
# write is checked on the Linux side (Ghostscript, qpdf, pdfinfo).
#
#   host_e2e.sh CASE SOURCE_DIR BUILD_DIR
#
# Cases that show windows run on a private X server (wine-gui-run.sh) in the
# prefix wineprefix-gui; the others in the build's usual prefix.
set -euo pipefail
shopt -s lastpipe
case_name=$1
src=$(cd -- "$2" && pwd)
build=$(cd -- "$3" && pwd)
host=$build/folantra-host.exe
work=$(mktemp -d "${TMPDIR:-/tmp}/folantra-win-e2e.XXXXXX")
trap 'rm -rf -- "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }
# Windows programs write CR LF to the terminal: the logs drop the CR.
plain() { "$src/cmake/wine-run.sh" --prefix "$build/wineprefix" "$host" "$@" | tr -d '\r'; }
# With the native controls and the pane's calls to the host at each "show".
gui() { FOLANTRA_WINDOW_DETAILS=1 "$src/cmake/wine-gui-run.sh" --prefix "$build/wineprefix-gui" "$host" "$@" | tr -d '\r'; }
gui_home() { ls -d "$build/wineprefix-gui/drive_c/users/"*/ | grep -v '/Public/$' | head -1; }

# The distiller's App Paths registration in the GUI prefix: the machine's and the user's (Default) values;
# an empty value removes that registration.
app_paths() { # machine-value user-value
    local key='SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\acrodist.exe'
    {
        printf 'REGEDIT4\r\n\r\n'
        printf '[-HKEY_LOCAL_MACHINE\\%s]\r\n\r\n[-HKEY_CURRENT_USER\\%s]\r\n\r\n' "$key" "$key"
        [ -n "$1" ] && printf '[HKEY_LOCAL_MACHINE\\%s]\r\n@="%s"\r\n\r\n' "$key" "$(reg_text "$1")"
        [ -n "$2" ] && printf '[HKEY_CURRENT_USER\\%s]\r\n@="%s"\r\n\r\n' "$key" "$(reg_text "$2")"
        true
    } >"$work/app-paths.reg"
    "$src/cmake/wine-gui-run.sh" --prefix "$build/wineprefix-gui" regedit /s "$(winpath "$work/app-paths.reg")" >/dev/null 2>&1
}
# A text as a .reg file's string: backslashes and quotes escaped.
reg_text() { local t=${1//\\/\\\\}; printf '%s' "${t//\"/\\\"}"; }

# Every line of a PostScript file ends with CR LF.
check_crlf() {
    local lines crlf
    lines=$(grep -c '' "$1")
    crlf=$(grep -c $'\r$' "$1" || true)
    [ "$lines" -eq "$crlf" ] || fail "$1: $((lines - crlf)) of $lines lines do not end with CR LF"
}

# Distils a PostScript file and prints "Key: value" lines of its document info.
distil() {
    ps2pdf "$1" "$2" || fail "ps2pdf refused $1"
    pdfinfo "$2"
}

# The exact width and height of page 1's TrimBox.
trim_size() {
    qpdf --json "$1" | awk '/"\/TrimBox"/ {getline a; getline b; getline c; getline d;
        gsub(/[ ,]/, "", a); gsub(/[ ,]/, "", b); gsub(/[ ,]/, "", c); gsub(/[ ,]/, "", d);
        printf "%.3f %.3f\n", c - a, d - b; exit}'
}

# A copy of the sample document with the plug-in's block printing to `folder`.
doc_printing_to() { # folder [AddPS...]
    sed "s|Folder=@OUT@|Folder=${1//\\/\\\\\\\\}|; s|Distill=1|Distill=0|" "$src/samples/brochure-demo.json"
}

# A one-page document named $1 with the path $2 (JSON: null or a quoted text) whose plug-in block holds the
# [Settings] entries $3 (JSON text, separated by \\r).
doc_with_block() {
    printf '{"name": "%s", "path": %s, "pageSize": {"width": 200, "height": 200}, "spreads": [{"pages": 1}],
 "xtensionData": {"KDIC": {"text": "\\r[Settings]\\r%s\\r"}}}\n' "$1" "$2" "$3"
}

case $case_name in
handshake)
    out=$(plain info)
    grep -q "handshake:  accepted" <<<"$out" || fail "handshake not accepted: $out"
    grep -q "setup:      done" <<<"$out" || fail "setup failed"
    # The pane callbacks under the two codes the host handed out, and 164, 728, 765.
    for code in 164 728 765 16384 16385; do
        grep -qP "^  $code +.*priority 200, flags 5$" <<<"$out" || fail "no registration of $code with priority 200 and flags 5"
    done
    ;;
print)
    plain print --no-dialog "$(winpath "$src/samples/brochure.json")" --styles "$(winpath "$src/samples/styles.xml")" --style "Proof with boxes" \
        -o "$(winpath "$work/b.ps")" >"$work/log" || fail "print: $(cat "$work/log")"
    check_crlf "$work/b.ps"
    grep -q "^%%Folantra: 4.20"$'\r'"$" "$work/b.ps" || fail "no DSC comment of the plug-in"
    info=$(distil "$work/b.ps" "$work/b.pdf")
    grep -q "^Title: *Frühjahrsbroschüre – Grüße aus Köln$" <<<"$info" || fail "title: $info"
    grep -q "^Author: *Jürgen Maß$" <<<"$info" || fail "author: $info"
    grep -q "^Pages: *3$" <<<"$info" || fail "pages: $info"
    [ "$(trim_size "$work/b.pdf")" = "595.276 841.890" ] || fail "TrimBox of page 1: $(trim_size "$work/b.pdf")"
    pdfinfo -box -f 1 -l 1 "$work/b.pdf" | grep -q "BleedBox" || fail "no BleedBox"
    # The page border: a 0.25 pt stroke in every page's snippet.
    [ "$(grep -c "\.25 setlinewidth" "$work/b.ps")" -ge 3 ] || fail "no page border on every page"
    ;;
files)
    # An existing job file is replaced, and a failure names the file with the
    # system's reason; no temporary file stays behind.
    sample=$(winpath "$src/samples/brochure.json")
    printf 'old job' >"$work/job.ps"
    plain print --no-dialog "$sample" -o "$(winpath "$work/job.ps")" >"$work/log" || fail "print: $(cat "$work/log")"
    head -c 14 "$work/job.ps" | grep -q '^%!PS-Adobe-3.0' || fail "job.ps was not replaced"
    # A link is written through: its file gets the job, the link stays a link.
    mkdir "$work/jobs"
    printf 'old job' >"$work/jobs/real.ps"
    ln -s jobs/real.ps "$work/link.ps"
    plain print --no-dialog "$sample" -o "$(winpath "$work/link.ps")" >"$work/log" || fail "link: $(cat "$work/log")"
    [ -L "$work/link.ps" ] || fail "the link was replaced by a file"
    head -c 14 "$work/jobs/real.ps" | grep -q '^%!PS-Adobe-3.0' || fail "the link's file did not get the job"
    if ls -A "$work/jobs" | grep -q '^\.fo.*\.tmp$'; then fail "temporary files left: $(ls -A "$work/jobs")"; fi
    mkdir "$work/taken.ps"
    if plain print --no-dialog "$sample" -o "$(winpath "$work/taken.ps")" >"$work/log" 2>&1; then
        fail "a folder in the place of the job was taken"
    fi
    grep -qF "cannot write $(winpath "$work/taken.ps"): it is a folder" "$work/log" || fail "folder: $(cat "$work/log")"
    # A name the system refuses.
    if plain print --no-dialog "$sample" -o "$(winpath "$work/bad?.ps")" >"$work/log" 2>&1; then
        fail "a name with ? was written"
    fi
    grep -qF "cannot write $(winpath "$work/bad?.ps"): " "$work/log" || fail "bad name: $(cat "$work/log")"
    if grep -q "system error" "$work/log"; then fail "no text for the system's error: $(cat "$work/log")"; fi
    if ls -A "$work" | grep -q '^\.fo.*\.tmp$'; then fail "temporary files left: $(ls -A "$work")"; fi
    ;;
dialog)
    gui dialog "$(winpath "$src/samples/brochure.json")" --script "$(winpath "$src/samples/pane-script.txt")" \
        -o "$(winpath "$work/d.ps")" --save "$(winpath "$work/saved.json")" >"$work/log" 2>&1 ||
        fail "dialog: $(cat "$work/log")"
    check_crlf "$work/d.ps"
    info=$(distil "$work/d.ps" "$work/d.pdf")
    grep -q "^Title: *Spring brochure$" <<<"$info" || fail "title typed in the metadata dialog: $info"
    grep -q "^Author: *Ann$" <<<"$info" || fail "author: $info"
    grep -q 'ScX=0.9500' "$work/saved.json" || fail "scale X not stored: $(cat "$work/saved.json")"
    grep -q 'ScY=0.9750' "$work/saved.json" || fail "scale Y (97,5) not stored"
    grep -q 'PageBorder=1' "$work/saved.json" || fail "page border not stored"
    ;;
style-editor)
    cp "$src/samples/styles.xml" "$work/styles.xml"
    printf 'click 2\ntype 12 90\nok\n' >"$work/script.txt"
    gui style-editor --styles "$(winpath "$work/styles.xml")" --style "Slightly narrower" \
        --script "$(winpath "$work/script.txt")" --save "$(winpath "$work/new.xml")" >"$work/log" 2>&1 ||
        fail "style editor: $(cat "$work/log")"
    grep -q 'ScX="0.90000"' "$work/new.xml" || fail "scale not stored in the style: $(cat "$work/new.xml")"
    grep -q 'PageBorder="1"' "$work/new.xml" || fail "border not stored in the style"
    grep -q 'name="EPS export"' "$work/new.xml" || fail "other styles lost"
    # The file reads back.
    plain print --no-dialog "$(winpath "$src/samples/brochure.json")" --styles "$(winpath "$work/new.xml")" --style "Slightly narrower" \
        -o "$(winpath "$work/n.ps")" >/dev/null || fail "the saved style file does not read back"
    ;;
invalid-folder)
    doc_printing_to 'C:\no\such\folder' >"$work/doc.json"
    desktop="$(gui_home)Desktop"
    rm -f "$desktop/Brochure.ps"
    printf 'ok\n' >"$work/ok.txt"
    # The stored settings reach the job through the confirmed print dialog.
    gui dialog "$(winpath "$work/doc.json")" --script "$(winpath "$work/ok.txt")" >"$work/log" 2>&1 ||
        fail "print: $(cat "$work/log")"
    grep -q "message box \[Folantra\]: Invalid folder for saving the PS-file, the desktop will be used instead. / " "$work/log" ||
        fail "no invalid-folder message: $(cat "$work/log")"
    grep -q ' / C:\\no\\such\\folder  -> OK$' "$work/log" || fail "the folder is not shown below the message"
    [ -s "$desktop/Brochure.ps" ] || fail "no Brochure.ps on the desktop"
    check_crlf "$desktop/Brochure.ps"
    rm -f "$desktop/Brochure.ps"
    ;;
setfile-refused)
    doc_printing_to 'C:\' >"$work/doc.json"
    printf 'ok\n' >"$work/ok.txt"
    gui --refuse-setfile 7 dialog "$(winpath "$work/doc.json")" --script "$(winpath "$work/ok.txt")" \
        -o "$(winpath "$work/x.ps")" >"$work/log" 2>&1 || true
    grep -q "message box \[[^]]*\]: Internal error: XTSetFile (7)" "$work/log" || fail "no XTSetFile message: $(cat "$work/log")"
    ;;
pane-calls)
    # The pane announces its controls to the host's dialog handling and sets their states through it, in order.
    printf 'show\nclick 3\nshow\ncancel\n' >"$work/script.txt"
    gui dialog "$(winpath "$src/samples/brochure.json")" --script "$(winpath "$work/script.txt")" >"$work/log" 2>&1 ||
        fail "dialog: $(cat "$work/log")"
    setup="pane calls: addpane 16384; checkbox 1 2; checkbox 2 2; checkbox 3 2; checkbox 4 2; checkbox 5 2; checkbox 6 2;"
    setup+=" button 8 2; button 9 2; button 17 2; text 11 1; text 13 1; text 14 1; text 16 1; text 10 1;"
    setup+=" numfield 12 1 0 1000 0 0 24; numfield 15 1 0 1000 0 0 24;"
    states=" state 5 2; state 8 2; state 9 2; state 12 2; state 15 2;"
    refresh=" state 6 1; state 11 1; state 12 1; state 13 1; state 14 1; state 15 1; state 16 1;"
    grep -qxF "$setup$states$refresh" "$work/log" || fail "set-up and load: $(grep 'pane calls' "$work/log")"
    on=" state 5 4; state 8 4; state 9 4; state 12 2; state 15 2;"
    grep -qxF "pane calls:$on$refresh" "$work/log" || fail "after a click on 3: $(grep 'pane calls' "$work/log")"
    ;;
german)
    printf 'show\ncancel\n' >"$work/script.txt"
    gui --language 3 dialog "$(winpath "$src/samples/brochure.json")" --script "$(winpath "$work/script.txt")" >"$work/log" 2>&1 ||
        fail "dialog: $(cat "$work/log")"
    grep -q '3 Button "In Datei drucken"' "$work/log" || fail "no German labels: $(cat "$work/log")"
    grep -q '6 Button "Asymmetrisch skalieren:"' "$work/log" || fail "no German scale label"
    # The long German label widened its check box instead of being cut.
    width=$(sed -n 's/^  6 Button "Asymmetrisch skalieren:" at [0-9]*,[0-9]* \([0-9]*\)x.*/\1/p' "$work/log")
    [ "${width:-0}" -ge 140 ] || fail "the scale check box is ${width:-?} pixels wide: its label is cut"
    ;;
folder)
    # Print to file into a folder chosen in the shell's folder browser (a folder of the prefix: Wine's browser
    # does not walk the Z: drive); Reset clears it again in a second run.
    home=$(gui_home)
    chosen="${home}Documents/Chosen folder"
    rm -rf -- "$chosen"
    mkdir -p "$chosen"
    user=$(basename "$home")
    printf 'click 3\nclick 8\nfolder "C:\\\\users\\\\%s\\\\Documents\\\\Chosen folder"\nshow\nok\n' "$user" >"$work/script.txt"
    # The shell's folder browser comes up slowly on a busy machine; a run in which the scripted user found no
    # browser to answer is tried once more before it counts as a failure.
    for attempt in 1 2; do
        gui dialog "$(winpath "$src/samples/brochure.json")" --script "$(winpath "$work/script.txt")" \
            --save "$(winpath "$work/saved.json")" >"$work/log" 2>&1 || fail "dialog: $(cat "$work/log")"
        grep -qF "  10 Static \"C:\\users\\$user\\Documents\\Chosen folder\"" "$work/log" && break
        [ "$attempt" = 2 ] && fail "path label: $(cat "$work/log")"
        echo "the folder browser was not answered; trying once more" >&2
        rm -f -- "$chosen/"*.ps
    done
    ls "$chosen/"*.ps >/dev/null 2>&1 || fail "nothing printed into the chosen folder"
    rm -rf -- "$chosen"
    grep -q 'PrintToFile=1' "$work/saved.json" || fail "print to file not stored"
    printf 'click 9\nshow\nok\n' >"$work/reset.txt"
    gui dialog "$(winpath "$work/saved.json")" --script "$(winpath "$work/reset.txt")" \
        --save "$(winpath "$work/reset.json")" -o "$(winpath "$work/r.ps")" >"$work/log2" 2>&1 ||
        fail "dialog: $(cat "$work/log2")"
    grep -q '^  10 Static "" ' "$work/log2" || fail "the path label is not empty after Reset: $(cat "$work/log2")"
    grep -q 'Folder=\\r' "$work/reset.json" || fail "Reset did not store an empty folder"
    ;;
style-choice)
    # Choosing an output style in the print dialog refills the pane (765), the enabling included.
    printf 'style Slightly narrower\nshow\ncancel\n' >"$work/script.txt"
    gui dialog "$(winpath "$src/samples/brochure.json")" --styles "$(winpath "$src/samples/styles.xml")" \
        --script "$(winpath "$work/script.txt")" >"$work/log" 2>&1 || fail "dialog: $(cat "$work/log")"
    grep -q '^  6 Button "Scale:" .*\[x\]$' "$work/log" || fail "scale not on after the style: $(cat "$work/log")"
    grep -q '^  12 Edit "95.00" at [0-9,]* [0-9x]*$' "$work/log" || fail "field 12 not 95.00 and enabled"
    ;;
distiller)
    # Print to a folder with blanks, with "AddPS" on in Documents\Kestrovan\Folantra.ini and the distiller
    # asked for; the stand-in distiller, found by name beside the host, records what it was given.
    home=$(gui_home)
    mkdir -p "$home/Documents/Kestrovan"
    printf '[General]\r\nAddPS=1\r\n' >"$home/Documents/Kestrovan/Folantra.ini"
    mkdir -p "$work/with blanks" "$work/bin"
    cp "$host" "$work/bin/"
    cp -r "$build/XTensions" "$work/bin/"
    cp "$build/standin/Acrobat Distiller.exe" "$work/bin/"
    sed "s|Folder=@OUT@|Folder=$(winpath "$work/with blanks" | sed 's/\\/\\\\\\\\/g')|" \
        "$src/samples/brochure-demo.json" >"$work/doc.json"
    printf 'ok\n' >"$work/ok.txt"
    "$src/cmake/wine-gui-run.sh" --prefix "$build/wineprefix-gui" "$work/bin/folantra-host.exe" \
        dialog "$(winpath "$work/doc.json")" --script "$(winpath "$work/ok.txt")" >"$work/log" 2>&1 ||
        { rm -f "$home/Documents/Kestrovan/Folantra.ini"; fail "dialog: $(cat "$work/log")"; }
    rm -f "$home/Documents/Kestrovan/Folantra.ini"
    [ -s "$work/with blanks/Brochure.qxp.ps" ] || fail "no Brochure.qxp.ps (AddPS=1) in the folder: $(ls "$work/with blanks")"
    for i in $(seq 1 50); do [ -s "$work/bin/distiller-args.txt" ] && break; sleep 0.1; done
    [ -s "$work/bin/distiller-args.txt" ] || fail "the distiller was not started"
    grep -qF "\"$(winpath "$work/with blanks/Brochure.qxp.ps")\"" "$work/bin/distiller-args.txt" ||
        fail "the distiller got: $(cat "$work/bin/distiller-args.txt")"
    ;;
xml)
    # Style files go through the Linux host's engine: a file the Linux host keeps byte for byte (another plug-in's
    # node with namespaces and line breaks and tabs in an attribute, a noncharacter in the author) is kept byte
    # for byte; a style name matches in any script; a malformed file names the place; entities of a DTD are refused.
    printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' '<outputstyles>' \
        '  <style name="Übersicht" kind="RTPX">' \
        '    <xtension code="KDIC">' \
        "      <Folantra Title=\"Overview\" TrimBox=\"1\" PageBorder=\"0\" PrintToFile=\"0\" AskForName=\"0\" Distill=\"0\" Scale=\"1\" Folder=\"\" ScX=\"0.90000\" ScY=\"0.90000\" Author=\"A$(printf '\xef\xbf\xbe')B\" Keywords=\"\" />" \
        '    </xtension>' \
        '    <xtension code="OTHR">' \
        '      <o:owner xmlns:o="urn:example:other" o:note="line&#10;tab&#09;end">Kestrovan &amp; Co<o:x />' \
        '      </o:owner>' \
        '    </xtension>' \
        '  </style>' '</outputstyles>' >"$work/styles.xml"
    printf 'ok\n' >"$work/ok.txt"
    printf 'click 17\ntype 4 "A\xef\xbf\xbeB"\nreturn\nok\n' >"$work/author.txt"
    gui style-editor --styles "$(winpath "$work/styles.xml")" --style "Übersicht" --script "$(winpath "$work/author.txt")" \
        --save "$(winpath "$work/saved.xml")" >"$work/log" 2>&1 || fail "style editor: $(cat "$work/log")"
    cmp "$work/styles.xml" "$work/saved.xml" || fail "the style file changed: $(diff "$work/styles.xml" "$work/saved.xml")"
    plain print --no-dialog "$(winpath "$src/samples/brochure.json")" --styles "$(winpath "$work/styles.xml")" \
        --style "Übersicht" -o "$(winpath "$work/u.ps")" >"$work/log" 2>&1 || fail "--style Übersicht: $(cat "$work/log")"
    printf '<outputstyles>\n  <style name="A" kind="RTPX">\n  </stile>\n</outputstyles>\n' >"$work/bad.xml"
    if plain print --no-dialog "$(winpath "$src/samples/brochure.json")" --styles "$(winpath "$work/bad.xml")" \
        --style A -o "$(winpath "$work/b.ps")" >"$work/log" 2>&1; then fail "a malformed style file was read"; fi
    grep -qF "bad.xml: not valid XML: Start-end tags mismatch at byte 50" "$work/log" || fail "malformed: $(cat "$work/log")"
    printf '<!DOCTYPE outputstyles [<!ENTITY co "Kestrovan">]>\n<outputstyles><style name="A" kind="RTPX"><xtension code="KDIC"><Folantra Title="&co; brochure"/></xtension></style></outputstyles>\n' >"$work/dtd.xml"
    if gui style-editor --styles "$(winpath "$work/dtd.xml")" --style A --script "$(winpath "$work/ok.txt")" \
        --save "$(winpath "$work/dtd-saved.xml")" >"$work/log" 2>&1; then fail "a style file with a DTD's entity was read"; fi
    grep -qF "dtd.xml: declares an entity in its DTD at byte 24" "$work/log" || fail "DTD: $(cat "$work/log")"
    [ ! -e "$work/dtd-saved.xml" ] || fail "the style file with a DTD was saved"
    ;;
non-files)
    # Names that are devices on Windows and pipes are refused with the file named, and nothing is reported printed;
    # a folder with letters beyond ASCII gets the job under its own name.
    sample=$(winpath "$src/samples/brochure.json")
    for name in NUL "$(winpath "$work/aux.ps")" "$(winpath "$work/Com1 .txt")" "$(winpath "$work/sub/LPT9.PS")" \
        '\\.\COM3'; do
        if plain print --no-dialog "$sample" -o "$name" >"$work/log" 2>&1; then fail "$name was written: $(cat "$work/log")"; fi
        grep -qF "cannot write $name: it is the device " "$work/log" || fail "$name: $(cat "$work/log")"
    done
    [ ! -e "$work/sub" ] || fail "a folder was made for a device"
    if plain print --no-dialog "$sample" -o '\\.\pipe\folantra-e2e' >"$work/log" 2>&1; then fail "a pipe was written"; fi
    grep -qF 'cannot write \\.\pipe\folantra-e2e: it is a pipe, not a file' "$work/log" || fail "pipe: $(cat "$work/log")"
    # A document named as a device: the plug-in refuses the file it would name, and the job is not reported printed.
    doc_printing_to "$(winpath "$work")" | sed 's/"name": "Brochure.qxp"/"name": "Aux"/' >"$work/named-aux.json"
    if gui print "$(winpath "$work/named-aux.json")" >"$work/log" 2>&1; then fail "Aux.ps was reported printed: $(cat "$work/log")"; fi
    # (The plug-in's message box naming the file is checked by the case device-names.)
    grep -qF "folantra-host: the job went to no file" "$work/log" || fail "Aux: $(cat "$work/log")"
    if grep -q "printed into" "$work/log"; then fail "Aux: $(cat "$work/log")"; fi
    mkdir "$work/Köln"
    doc_printing_to "$(winpath "$work/Köln")" >"$work/doc.json"
    gui print "$(winpath "$work/doc.json")" >"$work/log" 2>&1 || fail "print into Köln: $(cat "$work/log")"
    [ -s "$work/Köln/Brochure.ps" ] || fail "no Köln/Brochure.ps: $(ls "$work") $(cat "$work/log")"
    ;;
script-fails)
    # A script that fails on the way saves neither the style file nor the document.
    cp "$src/samples/styles.xml" "$work/styles.xml"
    printf 'click 2\nclick 99\nok\n' >"$work/script.txt"
    if gui style-editor --styles "$(winpath "$work/styles.xml")" --style "Slightly narrower" \
        --script "$(winpath "$work/script.txt")" --save "$(winpath "$work/new.xml")" >"$work/log" 2>&1; then
        fail "a failed script exited 0"
    fi
    grep -q "the output styles are not saved: the script failed" "$work/log" || fail "style editor: $(cat "$work/log")"
    [ ! -e "$work/new.xml" ] || fail "a failed script saved the style file"
    if gui dialog "$(winpath "$src/samples/brochure.json")" --script "$(winpath "$work/script.txt")" \
        --save "$(winpath "$work/saved.json")" >"$work/log" 2>&1; then fail "a failed script exited 0"; fi
    grep -q "the document is not saved: the script failed" "$work/log" || fail "dialog: $(cat "$work/log")"
    [ ! -e "$work/saved.json" ] || fail "a failed script saved the document"
    ;;
no-distiller)
    # Settings that start the distiller, and no distiller to be found: a failure with a message, with and without
    # --wait-distiller.
    mkdir -p "$work/out" "$work/bin"
    cp "$host" "$work/bin/"
    cp -r "$build/XTensions" "$work/bin/"
    sed "s|Folder=@OUT@|Folder=$(winpath "$work/out" | sed 's/\\/\\\\\\\\/g')|" "$src/samples/brochure-demo.json" >"$work/doc.json"
    for wait in "" --wait-distiller; do
        if "$src/cmake/wine-gui-run.sh" --prefix "$build/wineprefix-gui" "$work/bin/folantra-host.exe" \
            print "$(winpath "$work/doc.json")" $wait >"$work/log" 2>&1; then
            fail "no distiller, and exit 0 ($wait): $(cat "$work/log")"
        fi
        grep -q "folantra-host: the distiller could not be started: \"Acrobat Distiller\" is not found" "$work/log" ||
            fail "no word of the distiller ($wait): $(cat "$work/log")"
    done
    [ -s "$work/out/Brochure.ps" ] || fail "the job was not printed"
    ;;
distiller-registered)
    # No distiller of that name anywhere the shell looks; the one that an installed Acrobat registers under
    # App Paths as acrodist.exe is started instead: the machine's registration, then the user's (quoted, as
    # some installers write it). The registrations are removed again however the case ends.
    mkdir -p "$work/Acrobat DC" "$work/Per user" "$work/out"
    cp "$build/standin/Acrobat Distiller.exe" "$work/Acrobat DC/acrodist.exe"
    cp "$build/standin/Acrobat Distiller.exe" "$work/Per user/acrodist.exe"
    trap 'app_paths "" "" >/dev/null 2>&1 || true; rm -rf -- "$work"' EXIT
    sed "s|Folder=@OUT@|Folder=$(winpath "$work/out" | sed 's/\\/\\\\\\\\/g')|" \
        "$src/samples/brochure-demo.json" >"$work/doc.json"
    printf 'ok\n' >"$work/ok.txt"
    for where in machine user; do
        if [ "$where" = machine ]; then
            app_paths "$(winpath "$work/Acrobat DC/acrodist.exe")" ""
            args="$work/Acrobat DC/distiller-args.txt"
        else
            app_paths "" "\"$(winpath "$work/Per user/acrodist.exe")\""
            args="$work/Per user/distiller-args.txt"
        fi
        gui dialog "$(winpath "$work/doc.json")" --script "$(winpath "$work/ok.txt")" >"$work/log" 2>&1 ||
            fail "dialog ($where): $(cat "$work/log")"
        for i in $(seq 1 50); do [ -s "$args" ] && break; sleep 0.1; done
        [ -s "$args" ] || fail "the distiller registered for the $where was not started: $(cat "$work/log")"
        grep -qF "$(winpath "$work/out/Brochure.ps")" "$args" || fail "the distiller ($where) got: $(cat "$args")"
        if grep -q "message box" "$work/log"; then fail "a message although the distiller started: $(cat "$work/log")"; fi
    done
    ;;
distiller-missing)
    # Nothing starts: the user is told once, with the file, and the host fails with its own message, as
    # folantra-host on Linux does.
    app_paths "" ""
    mkdir -p "$work/out"
    sed "s|Folder=@OUT@|Folder=$(winpath "$work/out" | sed 's/\\/\\\\\\\\/g')|" \
        "$src/samples/brochure-demo.json" >"$work/doc.json"
    printf 'ok\n' >"$work/ok.txt"
    if gui dialog "$(winpath "$work/doc.json")" --script "$(winpath "$work/ok.txt")" >"$work/log" 2>&1; then
        fail "no distiller, and exit 0: $(cat "$work/log")"
    fi
    grep -q "folantra-host: the distiller could not be started: \"Acrobat Distiller\" is not found" "$work/log" ||
        fail "no word of the host's: $(cat "$work/log")"
    [ -s "$work/out/Brochure.ps" ] || fail "no Brochure.ps: $(ls "$work/out")"
    box="message box [Folantra]: Acrobat Distiller could not be started; the PostScript file was not distilled. / $(winpath "$work/out/Brochure.ps")  -> OK"
    grep -qxF "$box" "$work/log" || fail "no message naming the file: $(cat "$work/log")"
    [ "$(grep -c "message box" "$work/log")" = 1 ] || fail "not shown once: $(cat "$work/log")"
    ;;
device-names)
    # A document named as a device, or such a name typed into the file-name dialog: refused with a message naming
    # the file, and the job goes to the host's output instead of a device.
    device="The name of the PostScript file is the name of a device, not of a file; the job is not printed to a file."
    folder=$(winpath "$work")
    json_folder=$(printf '%s' "$folder" | sed 's/\\/\\\\/g')
    for entry in 'Aux|0|' 'NUL|0|' 'com1.qxp|0|' 'Report|1|aux.ps' 'Report|1|NUL. ' 'Report|1|Lpt3.txt.ps'; do
        IFS='|' read -r name ask typed <<<"$entry"
        doc_with_block "$name" null "Folder=$json_folder\\rAskForName=$ask\\rPrintToFile=1" >"$work/doc.json"
        if [ "$ask" = 1 ]; then
            printf 'ok\ntype 4 "%s"\nreturn\n' "$typed" >"$work/script.txt"
            file=$typed
        else
            printf 'ok\n' >"$work/script.txt"
            file=${name%.qxp}.ps
        fi
        rm -f "$work/other.ps"
        gui dialog "$(winpath "$work/doc.json")" --script "$(winpath "$work/script.txt")" \
            -o "$(winpath "$work/other.ps")" >"$work/log" 2>&1 || fail "$name / $typed: $(cat "$work/log")"
        grep -qF "message box [Folantra]: $device / $folder\\$file  -> OK" "$work/log" ||
            fail "$name / $typed: no message naming $folder\\$file: $(cat "$work/log")"
        [ -s "$work/other.ps" ] || fail "$name / $typed: the job did not go to the host's output"
        if grep -q "setfile" "$work/log"; then fail "$name / $typed: the device was handed to the host"; fi
    done
    ;;
slash-path)
    # A document path with forward slashes (Z:/dir/Doc.qxp): the job goes beside the document, not to the desktop.
    desktop="$(gui_home)Desktop"
    mkdir -p "$work/dir"
    rm -rf -- "$desktop/Z:" "$desktop/Doc.ps"
    slashed="Z:${work}/dir/Doc.qxp"
    doc_with_block Doc.qxp "\"$slashed\"" "PrintToFile=1" >"$work/doc.json"
    printf 'ok\n' >"$work/script.txt"
    gui dialog "$(winpath "$work/doc.json")" --script "$(winpath "$work/script.txt")" \
        -o "$(winpath "$work/other.ps")" >"$work/log" 2>&1 || fail "print: $(cat "$work/log")"
    [ -s "$work/dir/Doc.ps" ] || fail "no Doc.ps beside the document: $(ls -R "$work"; cat "$work/log")"
    [ ! -e "$work/other.ps" ] || fail "the job went to the host's output"
    if ls -A "$desktop" 2>/dev/null | grep -q '^Z:\|Doc.ps'; then fail "the desktop got $(ls -A "$desktop")"; fi
    check_crlf "$work/dir/Doc.ps"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
echo "ok: $case_name"
