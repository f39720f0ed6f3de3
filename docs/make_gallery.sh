#!/usr/bin/env bash
# Renders every example to docs/gallery/NAME.png with qldview, each with the
# quillard options named in its '%% run: quillard ...' line.
#
#   make_gallery.sh QLDVIEW EXAMPLES_DIR GALLERY_DIR
set -eu
qldview=$(cd -- "$(dirname -- "$1")" && pwd)/$(basename -- "$1")
examples=$2
gallery=$3
# The pictures depend on nothing of the user's: no configuration file but
# an example's own.
unset QUILLARD
dpi=${GALLERY_DPI:-160}

work=$(mktemp -d "${TMPDIR:-/tmp}/quillard-gallery.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
mkdir -p "$gallery"

count=0
while IFS= read -r src; do
  name=$(basename -- "$src" .qld)
  dir=$(dirname -- "$src")
  # A copy of the example's folder content that matters: the source and its
  # .quillard, so that the examples folder gets no PNG. The picture is made
  # in that folder, as its '%% run:' line says.
  mkdir -p "$work/$name"
  cp -- "$src" "$work/$name/"
  if [ -f "$dir/.quillard" ]; then cp -- "$dir/.quillard" "$work/$name/"; fi
  opts=$(sed -n 's/^%% run: quillard[[:space:]]\{1,\}\(-[[:alnum:]]*\)[[:space:]].*/\1/p' "$src" | head -n 1)
  png=$(cd "$work/$name" && "$qldview" -r "$dpi" ${opts:+-o "$opts"} "$name.qld")
  cp -- "$png" "$gallery/$name.png"
  echo "gallery: $name.png${opts:+ (quillard $opts)}"
  count=$((count + 1))
done < <(find "$examples" -name '*.qld' -type f | LC_ALL=C sort)
echo "gallery: $count pictures in $gallery"
