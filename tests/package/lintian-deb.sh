#!/usr/bin/env bash
# The Debian package of a Linux build, made with cpack into a scratch folder and
# checked with lintian: any error, warning or informational tag fails (the
# pedantic ones are shown). No tag is overridden; an override would need its
# reason written beside it.
#   tests/package/lintian-deb.sh BUILD_DIR     (a built release build, e.g. build/release)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
[ -f "$build/CPackConfig.cmake" ] || { echo "$build is no configured build folder" >&2; exit 2; }
command -v lintian >/dev/null || { echo "lintian is not installed (it is in ./run packages)" >&2; exit 1; }
scratch=$(mktemp -d /tmp/folantra-deb-XXXXXX)
trap 'rm -rf -- "$scratch"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  echo "package: cpack failed" >&2
  exit 1
fi
deb=$(find "$scratch" -maxdepth 1 -name '*.deb' | head -1)
[ -n "$deb" ] || { cat "$scratch/cpack.log" >&2; echo "package: cpack made no .deb" >&2; exit 1; }
echo "package: $(basename "$deb")"
# lintian warns when it runs as root, which changes nothing it checks.
if lintian --fail-on error,warning,info --display-info --pedantic "$deb" 2> >(grep -v '^running with root privileges' >&2); then
  echo "package: lintian passed"
else
  echo "package: lintian FAILED"
  exit 1
fi
