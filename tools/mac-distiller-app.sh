#!/usr/bin/env bash
# Makes a stand-in "Acrobat Distiller.app" for GNUstep's workspace, which
# starts an application with "-GSFilePath FILE":
#   tools/mac-distiller-app.sh APPS_DIR record LOG   writes each file it is asked to open into LOG
#   tools/mac-distiller-app.sh APPS_DIR ps2pdf       distils the file with Ghostscript beside it
set -euo pipefail
APPS=$1 MODE=$2
APP="$APPS/Acrobat Distiller.app"
mkdir -p "$APP/Resources"
cat >"$APP/Resources/Info-gnustep.plist" <<'PLIST'
{ NSExecutable = "Acrobat Distiller"; CFBundleIdentifier = "org.folantra.distiller-standin"; NSTypes = (); }
PLIST
case "$MODE" in
record)
  printf '#!/bin/sh\n[ "$1" = -GSFilePath ] && printf "%%s\\n" "$2" >>"%s"\n' "$3" >"$APP/Acrobat Distiller" ;;
ps2pdf)
  cat >"$APP/Acrobat Distiller" <<'SH'
#!/bin/sh
[ "$1" = -GSFilePath ] || exit 1
exec ps2pdf -dAutoRotatePages=/None "$2" "${2%.*}.pdf"
SH
  ;;
*) echo "unknown mode $MODE" >&2; exit 2 ;;
esac
chmod +x "$APP/Acrobat Distiller"
