#!/usr/bin/env bash
# Makes the conformance set: files written by other programs and those
# programs' own rendering of them, which the tests compare the project's
# drawing and decoding with. Needs libreoffice-draw, imagemagick,
# libjpeg-turbo-progs and libimage-exiftool-perl; the results are committed,
# so the tests need none of these.
#
#   bash tests/data/conformance/make-conformance.sh
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
office() { HOME="$work" soffice --headless "-env:UserInstallation=file://$work/profile" "$@" >/dev/null 2>&1; }

# Metafiles: LibreOffice converts the drawing to WMF and EMF, then draws each
# metafile itself; its drawing, trimmed to the ink, is the reference.
for fmt in wmf emf; do
  office --convert-to "$fmt" --outdir "$work" shapes.svg
  cp "$work/shapes.$fmt" "shapes.$fmt"
  cp "shapes.$fmt" "$work/shapes-$fmt.$fmt"
  office --convert-to png --outdir "$work" "$work/shapes-$fmt.$fmt"
  convert "$work/shapes-$fmt.png" -background white -alpha remove -alpha off -trim +repage "shapes-$fmt-lo.png"
done

# EMF+ pictures: make-emfplus.py writes them from the published record
# layouts (LibreOffice cannot write EMF+, but it draws it); LibreOffice's
# drawing of each, trimmed to the ink, is the reference.
python3 make-emfplus.py .
for name in emfplus-shapes emfplus-dual emfplus-transformed; do
  cp "$name.emf" "$work/$name.emf"
  office --convert-to png --outdir "$work" "$work/$name.emf"
  convert "$work/$name.png" -background white -alpha remove -alpha off -trim +repage "$name-lo.png"
done
python3 make-emfplus.py --seeds ../pictures/seeds-metafile

# Photos: one picture with four coloured quarters, tagged with each EXIF
# orientation by exiftool; jpegtran turns the pixels themselves the way each
# orientation says, which is what a viewer shows.
python3 - "$work/photo.ppm" <<'PY'
import sys
w, h = 64, 48
rows = []
for y in range(h):
    for x in range(w):
        top, left = y < h // 2, x < w // 2
        rows.append((200, 30, 30) if top and left else (30, 30, 200) if top else (30, 160, 30) if left else (240, 240, 240))
with open(sys.argv[1], 'wb') as f:
    f.write(b'P6 %d %d 255\n' % (w, h) + bytes(c for p in rows for c in p))
PY
cjpeg -quality 95 -sample 1x1 "$work/photo.ppm" > "$work/photo.jpg"
turns=("" "-flip horizontal" "-rotate 180" "-flip vertical" "-transpose" "-rotate 90" "-transverse" "-rotate 270")
for n in 1 2 3 4 5 6 7 8; do
  cp "$work/photo.jpg" "orient-$n.jpg"
  exiftool -q -overwrite_original -n "-Orientation=$n" "orient-$n.jpg"
  # shellcheck disable=SC2086
  jpegtran -perfect -copy none ${turns[$((n - 1))]} "$work/photo.jpg" > "orient-$n-seen.jpg"
done

# A grey photo and libjpeg's own decoding of it.
python3 - "$work/grey.pgm" <<'PY'
import sys
w, h = 64, 32
with open(sys.argv[1], 'wb') as f:
    f.write(b'P5 %d %d 255\n' % (w, h) + bytes((x * 4 + y) % 256 for y in range(h) for x in range(w)))
PY
cjpeg -quality 90 -grayscale "$work/grey.pgm" > grey.jpg
djpeg -pnm grey.jpg > grey-djpeg.pgm

# Rich text: LibreOffice Writer saves a document with a paragraph style,
# capitals, small capitals, a Wingdings character and a text box as RTF,
# and its own plain-text export of that RTF; pandoc writes RTF and plain
# text from the same Markdown.
office --convert-to rtf --outdir "$work" writer.fodt
cp "$work/writer.rtf" writer.rtf
office --convert-to "txt:Text (encoded):UTF8" --outdir "$work" writer.rtf
sed '1s/^\xEF\xBB\xBF//' "$work/writer.txt" > writer-lo.txt
pandoc -s pandoc.md -t rtf -o pandoc.rtf
pandoc pandoc.md -t plain -o pandoc-plain.txt

# DOS code pages: the same words in code page 437 (\pc) and 850 (\pca) as
# escaped bytes; Python's codecs give the text they stand for.
python3 - <<'PY'
words = "Grüße ½ café Ñandú"
for page, word in ((437, "pc"), (850, "pca")):
    escaped = "".join(c if ord(c) < 128 else "\\'%02x" % c.encode("cp%d" % page)[0] for c in words)
    with open("dos%d.rtf" % page, "w", encoding="ascii") as f:
        f.write("{\\rtf1\\%s\\deff0{\\fonttbl{\\f0\\fnil Courier New;}}\n\\f0 %s\\par\n}\n" % (word, escaped))
    # The text as the code page's own table reads the escaped bytes back.
    raw = words.encode("cp%d" % page)
    with open("dos%d.txt" % page, "w", encoding="utf-8") as f:
        f.write(raw.decode("cp%d" % page) + "\n")
PY
