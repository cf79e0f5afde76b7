#!/usr/bin/env bash
# The desktop integration: the desktop entry is valid and claims .uol libraries, and the MIME
# XML, installed into a scratch XDG data directory, makes libraries and both diagram forms known
# by their extension and, without one, by their first bytes.
# Usage: desktop_test.sh SOURCE_DIR
set -euo pipefail
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$source/packaging/glyphsmith.desktop"

data=$work/data
mkdir -p "$data/mime/packages" "$data/applications"
cp "$source/packaging/glyphsmith.xml" "$data/mime/packages/"
update-mime-database "$data/mime"
cp "$source/packaging/glyphsmith.desktop" "$data/applications/"
update-desktop-database "$data/applications"
# xdg-mime's generic lookup, which reads the shared MIME database of these directories.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
export XDG_DATA_HOME=$data XDG_DATA_DIRS=$data:/usr/share

files=$work/files
mkdir "$files"
cp "$source/examples/sample.uol" "$files/sample.uol"
cp "$source/examples/sample.uol" "$files/library"
cp "$source/tests/data/diagram_small.kx" "$files/diagram.kx"
cp "$source/tests/data/diagram_small.kx" "$files/diagram"
cp "$source/tests/data/diagram_small.txt" "$files/diagram.kxt"
cp "$source/tests/data/diagram_small.txt" "$files/diagram-text"
printf 'KX1.00\n0 0\n' > "$files/diagram-lf"
printf 'KX1.001\n0 0\n' > "$files/not-a-diagram"
while read -r name expected; do
  got=$(xdg-mime query filetype "$files/$name")
  [ "$got" = "$expected" ] || fail "$name is $got, not $expected"
done <<'TABLE'
sample.uol     application/x-glyphsmith-library
library        application/x-glyphsmith-library
diagram.kx     application/x-kxgr-diagram
diagram        application/x-kxgr-diagram
diagram.kxt    text/x-kxgr-diagram
diagram-text   text/x-kxgr-diagram
diagram-lf     text/x-kxgr-diagram
not-a-diagram  text/plain
TABLE

[ "$(xdg-mime query default application/x-glyphsmith-library)" = glyphsmith.desktop ] ||
  fail "the editor is not the default for libraries"
echo "desktop test passed"
