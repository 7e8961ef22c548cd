#!/bin/sh
# Makes the metafiles of the metafile-player tests with another program:
# Inkscape draws clipart.svg as an enhanced metafile, a placeable Windows
# metafile and the reference raster they are compared with. The outputs are
# kept in the tree; run this only to remake them (Debian: apt-get install
# inkscape).
set -e
cd "$(dirname "$0")"
inkscape clipart.svg --export-type=emf --export-filename=clipart.emf
inkscape clipart.svg --export-type=wmf --export-filename=clipart.wmf
inkscape clipart.svg --export-type=png --export-filename=clipart-ref.png \
    --export-width=300 --export-height=200 --export-background=white --export-background-opacity=1
