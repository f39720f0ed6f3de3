#!/usr/bin/env bash
# Renders the gallery afresh into a temporary folder and compares it, byte
# for byte, with the pictures checked in under docs/gallery/: every example
# must have its picture, and every picture must be what its example draws.
# The pictures are made with the standalone class (texlive-latex-extra) and
# pict2e (texlive-pictures), by pdflatex and pdftoppm, as on a machine set
# up by .ci/run; other versions of these may give other bytes.
#
#   check_gallery.sh QLDVIEW EXAMPLES_DIR GALLERY_DIR
set -eu
qldview=$1
examples=$2
gallery=$3
here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)

fresh=$(mktemp -d "${TMPDIR:-/tmp}/quillard-gallery-check.XXXXXX")
trap 'rm -rf -- "$fresh"' EXIT
bash "$here/make_gallery.sh" "$qldview" "$examples" "$fresh" >/dev/null

differ=0
for png in "$fresh"/*.png "$gallery"/*.png; do
  name=$(basename -- "$png")
  if [ ! -f "$gallery/$name" ]; then
    echo "gallery: $name is not checked in (cmake --build build --target gallery)"
    differ=1
  elif [ ! -f "$fresh/$name" ]; then
    echo "gallery: $name is checked in but no example draws it"
    differ=1
  elif [ "$png" = "$fresh/$name" ] && ! cmp -s -- "$png" "$gallery/$name"; then
    echo "gallery: $name differs from what its example draws now"
    differ=1
  fi
done
if [ "$differ" -ne 0 ]; then
  echo "gallery: render it again with 'cmake --build build --target gallery' and check it in"
  exit 1
fi
echo "gallery: all $(ls -- "$fresh" | wc -l) pictures are what the examples draw"
