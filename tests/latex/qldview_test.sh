#!/usr/bin/env bash
# Tests of the preview command.
#
#   qldview_test.sh QLDVIEW EXAMPLES_DIR
#
# QLDVIEW is the copy of qldview that sits beside the built quillard, so it
# finds quillard the way an installed one does. Exit status 77 (skipped, with
# the reason printed) when LaTeX or a PNG converter is missing; the tests of
# the missing-tool messages need neither and run first.
set -u

qldview=$1
examples=$2
skip=77

work=$(mktemp -d "${TMPDIR:-/tmp}/qldview-test.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
unset QUILLARD QUILLARD_BIN

passed=0
failed=0
ok() { echo "ok   $*"; passed=$((passed + 1)); }
bad() { echo "FAIL $*"; failed=$((failed + 1)); }
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && exit 0
  exit 1
}

# A listing of a folder tree: every file with its size and modification time
# (folders by name only: adding the picture changes the folder's time).
snapshot() {
  (cd -- "$1" && find . -mindepth 1 \( -type d -printf '%p/\n' -o -printf '%p %s %T@\n' \) | LC_ALL=C sort)
}

# The width and height of a PNG, from its header.
png_size() {
  local hex
  hex=$(od -An -tx1 -j16 -N8 -- "$1" | tr -d ' \n')
  echo "$((16#${hex:0:8})) $((16#${hex:8:8}))"
}
is_png() { [ "$(od -An -tx1 -N8 -- "$1" | tr -d ' \n')" = 89504e470d0a1a0a ]; }
is_pdf() { [ "$(head -c 5 -- "$1")" = '%PDF-' ]; }

# A PATH of links to every program of the current PATH except the ones named.
path_without() {
  local bin=$work/bin-$RANDOM$RANDOM dir name
  mkdir -p "$bin"
  local IFS=:
  for dir in $PATH; do
    # Earlier folders win, as on the PATH itself.
    [ -d "$dir" ] && ln -s "$dir"/* "$bin"/ 2>/dev/null
  done
  for name in "$@"; do rm -f -- "$bin/$name"; done
  echo "$bin"
}

# The user's folders: names with blanks, a source, a .quillard beside it.
user="$work/user files"
here="$work/working dir"
mkdir -p "$user" "$here"
cp -- "$examples/feedback.qld" "$user/my plan.qld"
printf 'r (1)\nZ (2)\n' >"$user/broken one.qld"

# --- Missing programs ----------------------------------------------------------

nolatex=$(path_without latex pdflatex)
before=$(snapshot "$user")
out=$(cd "$here" && PATH=$nolatex "$qldview" "../user files/my plan.qld" 2>&1)
status=$?
if [ $status -eq 3 ] && grep -q 'Not installed: latex, pdflatex' <<<"$out"; then
  ok "without LaTeX: exit status 3 and the missing programs named"
else
  bad "without LaTeX: status $status, message: $out"
fi
[ "$(snapshot "$user")" = "$before" ] && ok "without LaTeX: nothing written" || bad "without LaTeX: the user's folder changed"

out=$(PATH=$nolatex "$qldview" -f pdf "$user/my plan.qld" 2>&1)
status=$?
if [ $status -eq 3 ] && grep -q 'pdflatex is not installed' <<<"$out"; then
  ok "PDF without pdflatex: exit status 3 and pdflatex named"
else
  bad "PDF without pdflatex: status $status, message: $out"
fi

noconv=$(path_without dvipng pdftoppm)
out=$(PATH=$noconv "$qldview" "$user/my plan.qld" 2>&1)
status=$?
if [ $status -eq 3 ] && grep -q 'Not installed:.*dvipng, pdftoppm' <<<"$out"; then
  ok "without a converter: exit status 3 and the converters named"
else
  bad "without a converter: status $status, message: $out"
fi

# --- Wrong use ---------------------------------------------------------------------

for bad_args in "-u 1" "-u cm" "-f gif" "-r 0" "-o -x" "-q"; do
  # shellcheck disable=SC2086
  out=$("$qldview" $bad_args "$user/my plan.qld" 2>&1)
  status=$?
  [ $status -eq 2 ] && ok "'qldview $bad_args' refused" || bad "'qldview $bad_args': status $status: $out"
done
out=$("$qldview" "$user/no such plan.qld" 2>&1)
status=$?
if [ $status -eq 2 ] && grep -q "cannot find" <<<"$out"; then ok "missing source reported"; else bad "missing source: status $status: $out"; fi
"$qldview" >/dev/null 2>&1
[ $? -eq 2 ] && ok "no source name: usage" || bad "no source name: wrong status"

# --- Real previews -------------------------------------------------------------------

have() { command -v "$1" >/dev/null 2>&1; }
if ! { have pdflatex && have pdftoppm; } && ! { have latex && have dvipng; }; then
  echo "SKIPPED: the previews need pdflatex and pdftoppm (Debian: texlive-latex-base, poppler-utils) or latex and dvipng."
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] || exit 1
  exit $skip
fi

before=$(snapshot "$user")
before_here=$(snapshot "$here")
out=$(cd "$here" && "$qldview" "../user files/my plan.qld" 2>&1)
status=$?
png="$user/my plan.png"
real_user=$(cd -- "$user" && pwd -P)
if [ $status -eq 0 ] && [ "$out" = "$real_user/my plan.png" ] && [ -f "$png" ] && is_png "$png"; then
  ok "PNG written next to the source and its path printed"
else
  bad "PNG preview: status $status, output: $out"
fi
after=$(snapshot "$user" | grep -v '^\./my plan\.png ')
[ "$after" = "$before" ] && ok "source folder otherwise untouched" || bad "source folder changed: $(diff <(echo "$before") <(echo "$after"))"
[ "$(snapshot "$here")" = "$before_here" ] && ok "current folder untouched" || bad "current folder changed"
read -r w0 h0 < <(png_size "$png")
if [ "$w0" -gt 200 ] && [ "$h0" -gt 40 ] && [ "$w0" -gt "$h0" ]; then
  ok "PNG of $w0 x $h0 pixels for a wide loop"
else
  bad "PNG has a strange size: $w0 x $h0"
fi

# The same source without its extension, at twice the resolution.
rm -f -- "$png"
out=$(cd "$user" && "$qldview" -r 300 "my plan" 2>&1)
read -r w1 _ < <(png_size "$png")
if [ -f "$png" ] && [ "$w1" -gt $((w0 * 3 / 2)) ]; then ok "-r 300 gives a bigger picture ($w1 pixels wide)"; else bad "-r 300: $out, $w1 pixels"; fi

# A bigger unit makes a bigger picture.
"$qldview" -u 2cm "$user/my plan.qld" >/dev/null 2>&1
read -r w2 _ < <(png_size "$png")
[ "$w2" -gt $((w0 * 3 / 2)) ] && ok "-u 2cm gives a bigger picture" || bad "-u 2cm: $w2 pixels wide, $w0 before"

# The .quillard beside the source is used: a deep bottom margin (the source
# sets the other three itself).
printf '\\b = 4\n' >"$user/.quillard"
"$qldview" "$user/my plan.qld" >/dev/null 2>&1
read -r _ h3 < <(png_size "$png")
rm -f -- "$user/.quillard"
[ "$h3" -gt $((h0 + 150)) ] && ok ".quillard beside the source applied" || bad ".quillard not applied: height $h3, $h0 without"

# Options reach quillard.
cp -- "$png" "$work/plain.png"
if out=$("$qldview" -o "-h -b" "$user/my plan.qld" 2>&1) && ! cmp -s "$png" "$work/plain.png"; then
  ok "-o '-h -b' reaches quillard: line numbers and thick boxes drawn"
else
  bad "-o '-h -b': the picture did not change: $out"
fi

# PDF.
out=$("$qldview" -f pdf "$user/my plan.qld" 2>&1)
status=$?
if have pdflatex; then
  [ $status -eq 0 ] && is_pdf "$user/my plan.pdf" && [ "$out" = "$real_user/my plan.pdf" ] &&
    ok "PDF written next to the source" || bad "PDF: status $status: $out"
fi

# A source with errors: messages shown, no picture, status 1.
out=$("$qldview" "$user/broken one.qld" 2>&1)
status=$?
if [ $status -eq 1 ] && grep -q 'Syntax error in \[2\]' <<<"$out" && [ ! -e "$user/broken one.png" ]; then
  ok "translation errors reported, no picture"
else
  bad "broken source: status $status, output: $out"
fi

# Without the standalone class: the article page cut to the picture.
fake=$work/fake-kpsewhich
mkdir -p "$fake"
cat >"$fake/kpsewhich" <<FAKE
#!/bin/sh
[ "\$1" = standalone.cls ] && exit 1
exec $(command -v kpsewhich 2>/dev/null || echo false) "\$@"
FAKE
chmod +x "$fake/kpsewhich"
rm -f -- "$png"
out=$(PATH=$fake:$PATH "$qldview" "$user/my plan.qld" 2>&1)
if [ -f "$png" ]; then
  read -r w4 h4 < <(png_size "$png")
  # Same picture, same border: within a few pixels of the standalone page.
  if [ $((w4 - w0)) -lt 8 ] && [ $((w0 - w4)) -lt 8 ] && [ $((h4 - h0)) -lt 8 ] && [ $((h0 - h4)) -lt 8 ]; then
    ok "without standalone: page cut to the picture ($w4 x $h4)"
  else
    bad "without standalone: $w4 x $h4, standalone gave $w0 x $h0"
  fi
else
  bad "without standalone: no PNG: $out"
fi

# The DVI route, when pdflatex is hidden.
if have latex && have dvipng; then
  nopdf=$(path_without pdflatex pdftoppm)
  rm -f -- "$png"
  out=$(PATH=$nopdf "$qldview" "$user/my plan.qld" 2>&1)
  [ -f "$png" ] && is_png "$png" && ok "latex and dvipng route" || bad "latex and dvipng route: $out"
fi

# Every example previews (each from a copy of its folder, .quillard included).
while IFS= read -r src; do
  rel=${src#"$examples"/}
  d=$work/ex/$(dirname -- "$rel")
  mkdir -p "$d"
  cp -- "$src" "$d/"
  [ -f "$(dirname -- "$src")/.quillard" ] && cp -- "$(dirname -- "$src")/.quillard" "$d/"
  opts=$(sed -n 's/^%% run: quillard[[:space:]]\{1,\}\(-[[:alnum:]]*\)[[:space:]].*/\1/p' "$src" | head -n 1)
  if out=$("$qldview" ${opts:+-o "$opts"} "$d/$(basename -- "$src")" 2>&1) && is_png "$out"; then
    ok "preview of $rel"
  else
    bad "preview of $rel: $out"
  fi
done < <(find "$examples" -name '*.qld' -type f | LC_ALL=C sort)

finish
