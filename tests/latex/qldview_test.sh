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
# Help and version as quillard has them; a wrong option points to --help.
for good in --help --version -V; do
  out=$("$qldview" $good 2>&1)
  [ $? -eq 0 ] && [ -n "$out" ] && ok "'qldview $good' answers" || bad "'qldview $good': $out"
done
for wrong in --bogus -x "-p bad;name"; do
  # shellcheck disable=SC2086
  out=$("$qldview" $wrong "$user/my plan.qld" 2>&1)
  status=$?
  if [ $status -eq 2 ] && { [ "$wrong" = "-p bad;name" ] || grep -q "Try 'qldview --help'" <<<"$out"; }; then
    ok "'qldview $wrong' refused"
  else
    bad "'qldview $wrong': status $status: $out"
  fi
done

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

# The configuration file is the one quillard run in the same directory reads:
# the current directory's, else the one in QUILLARD; never the source's own
# unless the source is in the current directory. Each place gets a different
# bottom margin (the source sets the other three itself); a case names the
# places that have a .quillard and the margin that must win.
confdir=$work/conf
mkdir -p "$confdir"
while read -r places want; do
  rm -f -- "$here/.quillard" "$user/.quillard" "$confdir/.quillard"
  [[ $places == *here* ]] && printf '\\b = 2\n' >"$here/.quillard"
  [[ $places == *source* ]] && printf '\\b = 4\n' >"$user/.quillard"
  [[ $places == *env* ]] && printf '\\b = 6\n' >"$confdir/.quillard"
  out=$(cd "$here" && QUILLARD=$confdir "$qldview" "../user files/my plan.qld" 2>&1 </dev/null)
  read -r _ h3 < <(png_size "$png")
  # One unit of margin is 150/2.54 pixels at the default resolution.
  grow=$(( h3 - h0 - want * 15000 / 254 ))
  if [ "${grow#-}" -le 2 ]; then
    ok "configuration with .quillard in '$places': bottom margin $want"
  else
    bad "configuration with .quillard in '$places': height $h3, $h0 without, bottom margin $want expected: $out"
  fi
done <<'CASES'
here,source,env 2
source,env      6
source          0
CASES
rm -f -- "$here/.quillard" "$user/.quillard" "$confdir/.quillard"

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

# SVG, with the texts drawn as paths so that it needs no font to show.
if have pdflatex && have dvisvgm; then
  out=$("$qldview" -f svg "$user/my plan.qld" 2>&1)
  svg="$user/my plan.svg"
  if [ "$out" = "$real_user/my plan.svg" ] && grep -q '<svg ' "$svg" && grep -q '<path ' "$svg" &&
     ! grep -q '<text\|@font-face' "$svg"; then
    ok "SVG written next to the source, texts as paths"
  else
    bad "SVG: $out"
  fi
fi

# quillard's letters directly: 'qldview -hb' draws what '-o -hb' draws.
if out=$("$qldview" -hb "$user/my plan.qld" 2>&1) && ! cmp -s "$png" "$work/plain.png"; then
  cp -- "$png" "$work/direct.png"
  "$qldview" -o -hb "$user/my plan.qld" >/dev/null 2>&1
  cmp -s "$png" "$work/direct.png" && ok "-hb is quillard's -hb" || bad "-hb and -o -hb differ"
else
  bad "-hb: the picture did not change: $out"
fi

# A package the picture's LaTeX lines need: without it LaTeX fails, with
# -p it is loaded and its colour drawn.
printf 'R (1)\n%%\\color{red}\nb (1, 0.6, "$G$")\nR (1)\n' >"$user/red.qld"
"$qldview" "$user/red.qld" >/dev/null 2>&1
status=$?
[ $status -eq 4 ] && ok "a colour without its package fails" || bad "a colour without xcolor: status $status"
if have dvisvgm; then
  out=$("$qldview" -f svg -p xcolor "$user/red.qld" 2>&1)
  grep -q "stroke='#f00'" "$user/red.svg" 2>/dev/null && ok "-p xcolor loads the package: the lines are red" ||
    bad "-p xcolor: $out"
fi

# A source with errors: each message shown once, named by the source as
# given and the line, no picture, status 1.
out=$(cd "$user" && "$qldview" "broken one.qld" 2>&1)
status=$?
if [ $status -eq 1 ] && [ "$(grep -c '^broken one\.qld:2: Syntax error' <<<"$out")" -eq 1 ] && [ ! -e "$user/broken one.png" ]; then
  ok "translation errors reported, no picture"
else
  bad "broken source: status $status, output: $out"
fi

# A bare percent sign in a text breaks LaTeX far from it: qldview names it.
printf 'R (2)\nc ("50%% duty")\nR (1)\n' >"$user/duty.qld"
out=$("$qldview" "$user/duty.qld" 2>&1)
status=$?
if [ $status -eq 4 ] && grep -qF '{50% duty}' <<<"$out" && grep -qF 'is written \%' <<<"$out"; then
  ok "a bare % in a text named, with how to write it"
else
  bad "bare % in a text: status $status, output: $out"
fi

# Without the standalone class: the article page cut to the picture. A
# kpsewhich that does not find standalone.cls makes qldview believe it is
# not installed.
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
  if [ "$w4" -eq "$w0" ] && [ "$h4" -eq "$h0" ]; then
    ok "without standalone: page cut to the picture ($w4 x $h4, as with standalone)"
  else
    bad "without standalone: $w4 x $h4, standalone gave $w0 x $h0"
  fi
else
  bad "without standalone: no PNG: $out"
fi

# The page of the PDF is the picture's box with a border of 4pt all round,
# with and without standalone: its size in big points, from the picture's
# header and the unit, against what pdfinfo reads.
if have pdflatex && have pdfinfo; then
  read -r pw ph < <(cd "$here" && "$(dirname -- "$qldview")/quillard" --quiet --output=- "../user files/my plan.qld" |
                    sed -n '1s/^\\begin{picture}(\([^,]*\),\([^)]*\)).*/\1 \2/p')
  while read -r class unit per_unit; do
    path=$PATH
    [ "$class" = article ] && path=$fake:$PATH
    if [ "$class" = standalone ] && [ -z "$(kpsewhich standalone.cls 2>/dev/null)" ]; then
      echo "note: the standalone class is not installed (Debian: texlive-latex-extra), its page is not measured"
      continue
    fi
    out=$(PATH=$path "$qldview" -f pdf -u "$unit" "$user/my plan.qld" 2>&1 </dev/null)
    got=$(pdfinfo "$user/my plan.pdf" 2>/dev/null | sed -n 's/^Page size: *\([0-9.]*\) x \([0-9.]*\) pts.*/\1 \2/p')
    want=$(awk -v w="$pw" -v h="$ph" -v u="$per_unit" 'BEGIN { b = 8 * 72 / 72.27; printf "%.3f %.3f", w * u + b, h * u + b }')
    if [ -n "$got" ] && awk -v g="$got" -v e="$want" 'BEGIN { split(g, a, " "); split(e, b, " ");
         d1 = a[1] - b[1]; d2 = a[2] - b[2]; exit !(d1 * d1 < 1e-4 && d2 * d2 < 1e-4) }'; then
      ok "$class page of $got bp for a picture of $pw x $ph units of $unit"
    else
      bad "$class page: pdfinfo gives '$got' bp, $want expected ($pw x $ph units of $unit): $out"
    fi
  done <<'CASES'
standalone 1cm   28.3464567
article    1cm   28.3464567
article    0.5in 36
CASES
fi

# --- --grid ------------------------------------------------------------------

# The picture quillard writes is the same with --grid as without: a quillard
# that keeps a copy of every picture it writes shows what qldview was given.
spy=$work/spy
mkdir -p "$spy/log"
cat >"$spy/quillard" <<SPY
#!/bin/sh
"$(dirname -- "$qldview")/quillard" "\$@"
status=\$?
for arg in "\$@"; do
  case \$arg in
    --output=*) cp -- "\${arg#--output=}" "$spy/log/\$(ls "$spy/log" | wc -l).tex" 2>/dev/null ;;
  esac
done
exit \$status
SPY
chmod +x "$spy/quillard"

# The sources of the cases: labels everywhere, a name of LaTeX's special
# characters, a last line ('%' or blank) with no newline.
printf '%s\n' 'r (2)' 'n (A)' 'u (1)' 'k (Knot_1)' 'l (1)' 'a (N 1)' >"$user/labels.qld"
{ printf '%s\n' 'R (4)' 'n (a\b{}%#&_^~<>|)' 'u (1)' 'n (last)'; printf '%%%% no newline'; } >"$user/special.qld"
: >"$user/empty.qld"

# qldview's options | quillard's | source | the label names the PDF's text
# holds besides (0,0)
while IFS='|' read -r opts letters name names; do
  rm -f -- "$spy/log/"*
  # shellcheck disable=SC2086
  QUILLARD_BIN=$spy/quillard "$qldview" $opts -f pdf "$user/$name.qld" >/dev/null 2>&1
  plain_text=$(pdftotext "$user/$name.pdf" - 2>/dev/null)
  # shellcheck disable=SC2086
  out=$(QUILLARD_BIN=$spy/quillard "$qldview" --grid $opts -f pdf "$user/$name.qld" 2>&1)
  text=$(pdftotext "$user/$name.pdf" - 2>/dev/null)
  missing=
  for n in $names '(0,0)'; do
    grep -qF -- "$n" <<<"$text" || missing+=" $n"
    grep -qF -- "$n" <<<"$plain_text" && missing+=" $n(also without --grid)"
  done
  [ -z "$missing" ] && ok "--grid $opts $name: the label names in the preview" ||
    bad "--grid $opts $name: not in the preview's text:$missing; $out"
  if [ -f "$spy/log/0.tex" ] && cmp -s "$spy/log/0.tex" "$spy/log/1.tex" &&
     cmp -s "$spy/log/0.tex" <(cd "$user" && "$(dirname -- "$qldview")/quillard" --quiet --output=- $letters "$name.qld"); then
    ok "--grid $opts $name: the picture is byte for byte the one without"
  else
    bad "--grid $opts $name: the picture changed: $(diff "$spy/log/0.tex" "$spy/log/1.tex" 2>&1 | head -n 5)"
  fi
done <<'CASES'
||labels|A Knot_1 N1
-o -h|-h|labels|A Knot_1 N1
-b|-b|special|a\b{}%#&_^~<>| last
CASES
ls -- "$user"/*.tex >/dev/null 2>&1 && bad "--grid left a .tex in the source's folder" || ok "--grid leaves no .tex behind"

# Where the aids are drawn, in the page of the PDF at 144 dpi: a picture of
# 2 x 1 units with margins of 1 all round (its box from (-1,-1) to (3,2)),
# with labels A at (2,0) and B at (2,1). At each point (in picture units) the
# pixels around it must hold the class: aid (the blue of the labels and the
# origin), grid (the pale blue of the lines), ink (grey, or a tint too faint
# to tell), drawn (anything but white), paper (white only). Without --grid no
# pixel of the page is blue. The tenths are drawn once they stand 6 screen
# pixels apart: not at 1cm, at 2cm.
printf '%s\n' '\l = 1' '\r = 1' '\t = 1' '\b = 1' 'r (2)' 'n (A)' 'u (1)' 'n (B)' >"$user/box.qld"
classes() {
  # $1: the PDF; $2: the length of a unit in points; $3: the probes
  # "x y class", one a line.
  pdftoppm -r 144 -singlefile "$1" "$work/page" || return 1
  od -An -v -tu1 -- "$work/page.ppm" | awk -v unit="$2" -v probes="$3" '
    { for (i = 1; i <= NF; i++) b[n++] = $i }
    function kind(p,  r, g, bl, lo) {
      r = b[p]; g = b[p + 1]; bl = b[p + 2]
      lo = r < g ? r : g; lo = lo < bl ? lo : bl
      if (bl - r >= 100) return "aid"
      if (bl - r >= 8) return "grid"
      return lo >= 253 ? "paper" : "ink"
    }
    END {
      # The header: P6, the width, the height, the greatest value, one blank.
      p = 2; for (f = 0; f < 3; f++) { v = 0; while (b[p] < 48 || b[p] > 57) p++
        while (b[p] >= 48 && b[p] <= 57) v = v * 10 + b[p++] - 48; dim[f] = v }
      p++; w = dim[0]; h = dim[1]
      np = split(probes, lines, "\n"); blue = 0
      for (k = 0; k < w * h; k++) { c = kind(p + 3 * k); if (c == "aid" || c == "grid") blue++ }
      printf "blue %d\n", blue
      s = 144 / 72.27
      for (i = 1; i <= np; i++) {
        split(lines[i], q, " "); cx = int((4 + (q[1] + 1) * unit) * s); cy = int((4 + (2 - q[2]) * unit) * s)
        seen = ""
        for (dy = -1; dy <= 1; dy++) for (dx = -1; dx <= 1; dx++)
          seen = seen " " kind(p + 3 * ((cy + dy) * w + cx + dx))
        if (q[3] == "paper") good = seen !~ /aid|grid|ink/
        else if (q[3] == "drawn") good = seen ~ /aid|grid|ink/
        else good = index(seen, q[3]) > 0
        printf "%s %s %s %s\n", good ? "ok" : "bad", q[1] "," q[2], q[3], seen
      }
    }'
}
"$qldview" -f pdf "$user/box.qld" >/dev/null 2>&1
got=$(classes "$user/box.pdf" 28.45276 "")
[ "$got" = "blue 0" ] && ok "without --grid no blue in the page" || bad "without --grid: $got"
# unit | its length in points | the probes, ';' between them
while IFS='|' read -r unit pt probes; do
  "$qldview" --grid -u "$unit" -f pdf "$user/box.qld" >/dev/null 2>&1
  got=$(classes "$user/box.pdf" "$pt" "$(tr ';' '\n' <<<"$probes")")
  while read -r verdict where what seen; do
    case $verdict in
      ok) ok "--grid -u $unit: $what at ($where)" ;;
      *) bad "--grid -u $unit: $what expected at ($where), found:$seen" ;;
    esac
  done < <(grep -v '^blue ' <<<"$got")
done <<'CASES'
1cm|28.45276|2 0 aid;2 1 aid;0 0 aid;-0.5 1 grid;1 1.5 grid;1 -0.5 grid;2.5 1 grid;-0.5 1.5 paper;-0.45 1.45 paper;2 0.5 ink
2cm|56.90551|2 1 aid;-0.5 1.55 drawn;-0.45 1.45 paper;1 -0.5 grid
CASES

# The PNG: the same size with --grid as without, and not the same pixels.
"$qldview" "$user/box.qld" >/dev/null 2>&1 && cp -- "$user/box.png" "$work/box-plain.png"
if "$qldview" --grid "$user/box.qld" >/dev/null 2>&1 && [ "$(png_size "$user/box.png")" = "$(png_size "$work/box-plain.png")" ] &&
   ! cmp -s "$user/box.png" "$work/box-plain.png"; then
  ok "--grid PNG: drawn into the page of the same size"
else
  bad "--grid PNG: $(png_size "$user/box.png") against $(png_size "$work/box-plain.png") without, or no change"
fi

# An empty source still makes a picture, the origin alone; a source with
# errors makes none, as without --grid.
out=$("$qldview" --grid "$user/empty.qld" 2>&1)
[ $? -eq 0 ] && is_png "$user/empty.png" && ok "--grid on an empty source: a picture" || bad "--grid on an empty source: $out"
rm -f -- "$user/broken one.png"
out=$("$qldview" --grid "$user/broken one.qld" 2>&1)
status=$?
if [ $status -eq 1 ] && [ "$(grep -c 'broken one\.qld:2: Syntax error' <<<"$out")" -eq 1 ] && [ ! -e "$user/broken one.png" ]; then
  ok "--grid on a source with errors: the errors once, no picture"
else
  bad "--grid on a source with errors: status $status: $out"
fi

# The DVI route, when pdflatex is hidden.
if have latex && have dvipng; then
  nopdf=$(path_without pdflatex pdftoppm)
  rm -f -- "$png"
  out=$(PATH=$nopdf "$qldview" "$user/my plan.qld" 2>&1)
  [ -f "$png" ] && is_png "$png" && ok "latex and dvipng route" || bad "latex and dvipng route: $out"
  # The grid without pict2e, in colours dvipng draws.
  cp -- "$png" "$work/dvi-plain.png"
  out=$(PATH=$nopdf "$qldview" --grid "$user/my plan.qld" 2>&1)
  [ $? -eq 0 ] && is_png "$png" && ! cmp -s "$png" "$work/dvi-plain.png" &&
    ok "latex and dvipng route with --grid" || bad "latex and dvipng route with --grid: $out"
fi

# Every example previews (each in a copy of its folder, .quillard included,
# as the current directory).
while IFS= read -r src; do
  rel=${src#"$examples"/}
  d=$work/ex/$(dirname -- "$rel")
  mkdir -p "$d"
  cp -- "$src" "$d/"
  [ -f "$(dirname -- "$src")/.quillard" ] && cp -- "$(dirname -- "$src")/.quillard" "$d/"
  opts=$(sed -n 's/^%% run: quillard[[:space:]]\{1,\}\(-[[:alnum:]]*\)[[:space:]].*/\1/p' "$src" | head -n 1)
  if out=$(cd "$d" && "$qldview" ${opts:+-o "$opts"} "$(basename -- "$src")" 2>&1) && is_png "$out"; then
    ok "preview of $rel"
  else
    bad "preview of $rel: $out"
  fi
done < <(find "$examples" -name '*.qld' -type f | LC_ALL=C sort)

finish
