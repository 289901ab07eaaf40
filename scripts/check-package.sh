#!/usr/bin/env bash
# Builds the Debian package from a built tree and checks it as Debian's tools do:
# lintian without errors, desktop-file-validate on the desktop entry, appstreamcli on the
# metainfo, and run-time dependencies computed from the program.
# Usage: scripts/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
for tool in cpack lintian desktop-file-validate appstreamcli dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps.sh installs it)"; exit 1; }
done

rm -f "$build"/tervil-editor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tervil-editor_*.deb)
echo "package: $deb"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
case "$depends" in
  *libqt6core6*libqt6widgets6* | *libqt6widgets6*libqt6core6*) ;;
  *) echo "the library dependencies were not computed"; exit 1 ;;
esac

lintian --fail-on error "$deb"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree/usr/share/applications/tervil-editor.desktop"
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
echo "package checks passed"
