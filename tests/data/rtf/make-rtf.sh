#!/bin/sh
# Makes the outside RTF test files from sample.html and sample.md with the
# Debian tools pandoc and LibreOffice (libreoffice-writer-nogui): pandoc
# writes RTF itself, and word-processor files that LibreOffice then saves as
# RTF. The files are kept in the tree; run this only to make them again.
set -e
cd "$(dirname "$0")"
pandoc -s -f markdown -t rtf -o pandoc-sample.rtf sample.md
pandoc -s -f html -t rtf -o pandoc-html.rtf sample.html
tmp=$(mktemp -d)
pandoc -f html -o "$tmp/docx-sample.docx" sample.html
pandoc -f html -o "$tmp/odt-sample.odt" sample.html
for f in docx-sample.docx odt-sample.odt; do
  soffice --headless -env:UserInstallation=file://$tmp/profile --convert-to rtf --outdir "$tmp" "$tmp/$f" >/dev/null 2>&1
done
cp "$tmp/docx-sample.rtf" libreoffice-docx.rtf
cp "$tmp/odt-sample.rtf" libreoffice-odt.rtf
rm -rf "$tmp"
