#!/usr/bin/env bash
# The desktop integration files are valid: the menu entry for
# desktop-file-validate, the file types for xmllint and update-mime-database
# (a .QRD is recognised by its stream signature as well as its name), and the
# icon files exist at their sizes.
set -euo pipefail
src="$1"
build="$2"
desktop-file-validate "$src/resources/desktop/brisvale.desktop"
xmllint --noout "$src/resources/desktop/brisvale-mime.xml"
xmllint --noout "$src/resources/desktop/brisvale.svg"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/mime/packages"
cp "$src/resources/desktop/brisvale-mime.xml" "$work/mime/packages/brisvale.xml"
update-mime-database "$work/mime" >/dev/null 2>&1
for t in x-brisvale-design x-brisvale-companion x-brisvale-template; do
  test -f "$work/mime/application/$t.xml" || { echo "type $t missing" >&2; exit 1; }
done
grep -q 'x-brisvale-design' "$work/mime/magic" || { echo "no signature match for designs" >&2; exit 1; }
for size in 16 22 24 32 48 64 128 256; do
  f="$build/icons/${size}x${size}/brisvale.png"
  test -s "$f" || { echo "icon $f missing" >&2; exit 1; }
done
echo "desktop files valid"
