#!/usr/bin/env bash
# The quillard LaTeX package's modes, under pdfLaTeX: the cache (a second
# compile runs quillard zero times, an edit once, a new .quillard anew),
# errors on the document's lines, shell escape off with the latexmk rule,
# frozen, build folders, paths with spaces, and values that must not reach
# the shell.
#
#   package_modes.sh QUILLARD_DIR LATEX_DIR
#
# Exit status 77 (skipped, with the reason printed) without pdflatex; the
# latexmk cases are left out, saying so, without latexmk.
set -u
bindir=$1
latexdir=$2
here=$(cd -- "$(dirname -- "$0")" && pwd)
. "$here/package_lib.sh"

need pdflatex "TeX Live (Debian: texlive-latex-base)"

# paper DIR [PACKAGE_OPTIONS [FIRST_DIAGRAM]]: a paper with two inline
# diagrams, the first beginning on line 6.
paper() {
  mkdir -p "$1"
  cp -- "$latexdir/quillard.sty" "$1/"
  cat >"$1/paper.tex" <<EOF
\\documentclass{article}
\\usepackage[${2:-}]{quillard}
\\begin{document}
\\setlength{\\unitlength}{1cm}
\\begin{quillard}
${3:-R (1)
a (S)
p
R (1)}
\\end{quillard}
and
\\begin{quillard}[options=b]
b (1, 0.6, "\$A\$")
R (1)
\\end{quillard}
\\end{document}
EOF
}
pictures() { ls "$1"/quillard-cache/*.tex 2>/dev/null | wc -l | tr -d ' '; }
has() { grep -q -F -- "$2" "$1"; }

# --- The cache ---------------------------------------------------------------

d=$work/cache
paper "$d"
compile "$d" pdflatex -shell-escape paper && [ "$(runs "$d")" = 2 ] && [ "$(pictures "$d")" = 2 ] &&
  ok "cache: the first compile runs quillard once per diagram" ||
  bad "cache: first compile ($(runs "$d") runs, $(pictures "$d") pictures)"
compile "$d" pdflatex -shell-escape paper && [ "$(runs "$d")" = 0 ] &&
  ok "cache: a second compile runs quillard zero times" || bad "cache: second compile ran quillard $(runs "$d") times"
sed -i '6s/.*/R (1.5)/' "$d/paper.tex"
compile "$d" pdflatex -shell-escape paper && [ "$(runs "$d")" = 1 ] && grep -q 'vector(1,0){1.35}' "$d"/quillard-cache/*.tex &&
  ok "cache: editing one diagram runs quillard once" || bad "cache: an edit ran quillard $(runs "$d") times"
printf '\\a = 0.3\n' >"$d/.quillard"
compile "$d" pdflatex -shell-escape paper && [ "$(runs "$d")" = 2 ] && grep -q 'circle{0.6}' "$d"/quillard-cache/*.tex &&
  ok "cache: a new .quillard makes every picture anew, with its parameters" ||
  bad "cache: .quillard ran quillard $(runs "$d") times"
mkdir -p "$d/conf"
mv "$d/.quillard" "$d/conf/.quillard"
sed -i 's/0.3/0.25/' "$d/conf/.quillard"
: >"$d/runs"
(cd "$d" && QUILLARD="$d/conf" QLD_RUNS="$d/runs" pdflatex -interaction=nonstopmode -shell-escape paper </dev/null >latex.out 2>&1)
[ "$(runs "$d")" = 2 ] && grep -q 'circle{0.5}' "$d"/quillard-cache/*.tex &&
  ok "cache: the .quillard of \$QUILLARD is part of the hash too" || bad "cache: QUILLARD ran quillard $(runs "$d") times"
rm -rf "$d/conf"

# --- Errors on the document's lines ------------------------------------------

d=$work/errors
paper "$d" "" 'R (1)
$v = 1
$v = 2
g (S9)
R (1)'
mkdir -p "$d/figs"
printf 'R (1)\nq (2)\n' >"$d/figs/bad.qld"
sed -i 's/^and$/and \\quillardinput{figs\/bad}/' "$d/paper.tex"
if compile "$d" pdflatex -halt-on-error -shell-escape paper; then
  bad "errors: -halt-on-error did not fail"
elif has "$d/latex.out" "paper.tex:9: Undefined label 'S9'"; then
  ok "errors: -halt-on-error stops with paper.tex:9: Undefined label 'S9'"
else
  bad "errors: the message names no document line"; grep -A3 '^!' "$d/latex.out" | head
fi
compile "$d" pdflatex -shell-escape paper
[ -s "$d/paper.pdf" ] && has "$d/paper.log" "paper.tex:9: Undefined label 'S9'" &&
  has "$d/paper.log" "figs/bad.qld:2: Syntax error" &&
  has "$d/paper.log" "Package quillard Warning: paper.tex:8: Redeclaration of length" &&
  [ "$(pictures "$d")" = 1 ] &&
  ok "errors: nonstopmode finishes, the errors and warnings on their lines, no picture cached for them" ||
  bad "errors: nonstopmode"
compile "$d" pdflatex -no-shell-escape paper
[ "$(grep -c '^! Package quillard Error' "$d/paper.log")" = 2 ] && ! has "$d/paper.log" "not built" &&
  ok "errors: without shell escape the same errors come again" || bad "errors: without shell escape"

# --- Shell escape off ---------------------------------------------------------

d=$work/noshell
paper "$d"
compile "$d" pdflatex -no-shell-escape paper && [ "$(runs "$d")" = 0 ] &&
  [ "$(grep -c 'picture not built' "$d/paper.log")" = 2 ] && [ "$(grep -c '^No file quillard-cache/' "$d/paper.log")" = 0 ] &&
  ok "no shell: without a cache folder, placeholders, a warning each, status 0" || bad "no shell: without a folder"
mkdir "$d/quillard-cache"
compile "$d" pdflatex paper && [ "$(runs "$d")" = 0 ] && [ "$(grep -c '^No file quillard-cache/' "$d/paper.log")" = 2 ] &&
  [ "$(ls "$d"/quillard-cache/*.qld | wc -l)" = 2 ] &&
  ok "no shell: restricted mode writes the sources and names the missing pictures, status 0" ||
  bad "no shell: restricted mode"
cp -- "$work/cache/paper.tex" "$d/paper.tex"
rm -rf "$d/quillard-cache"
cp -r -- "$work/cache/quillard-cache" "$d/"
compile "$d" pdflatex -no-shell-escape paper && [ "$(runs "$d")" = 0 ] && ! has "$d/paper.log" "quillard Warning" &&
  ok "no shell: cached pictures are used silently" || bad "no shell: cached pictures"

sed 's/usepackage\[\]/usepackage[frozen]/' "$d/paper.tex" >"$d/frozen.tex"
compile "$d" pdflatex -shell-escape frozen && [ "$(runs "$d")" = 0 ] &&
  ok "frozen: a full cache compiles and nothing runs" || bad "frozen: full cache"
rm -f "$d"/quillard-cache/*-b.tex
if compile "$d" pdflatex -shell-escape frozen; then
  bad "frozen: a missing picture is no error"
else
  has "$d/frozen.log" "is not in the cache (option frozen)" && [ "$(runs "$d")" = 0 ] &&
    ok "frozen: a missing picture is an error, and quillard is not run" || bad "frozen: message"
fi

if have latexmk; then
  for out in "" build; do
    d=$work/latexmk${out:+-$out}
    paper "$d"
    cp -- "$latexdir/latexmkrc" "$d/latexmkrc"
    printf '%s\n' "${out:+-outdir=$out}" >"$d/args"
    : >"$d/runs"
    (cd "$d" && QLD_RUNS="$d/runs" latexmk -pdf ${out:+-outdir=$out} -interaction=nonstopmode paper </dev/null >latexmk.out 2>&1)
    status=$?
    log=$d/${out:+$out/}paper.log
    if [ $status -eq 0 ] && [ "$(runs "$d")" = 2 ] && ! has "$log" "not built" &&
       [ "$(ls "$d/${out:+$out/}"quillard-cache/*.tex | wc -l)" = 2 ]; then
      ok "latexmk${out:+ -outdir=$out}: from scratch, shell escape off, the rule makes both pictures"
    else
      bad "latexmk${out:+ -outdir=$out}: status $status, $(runs "$d") runs"; tail -n 20 "$d/latexmk.out"
    fi
  done
  d=$work/latexmk-error
  paper "$d"
  cp -- "$latexdir/latexmkrc" "$d/latexmkrc"
  sed -i '8s/.*/g (S9)/' "$d/paper.tex"
  if (cd "$d" && QLD_RUNS="$d/runs" latexmk -pdf -interaction=nonstopmode paper </dev/null >latexmk.out 2>&1); then
    bad "latexmk: a diagram with an error did not fail the build"
  else
    has "$d/paper.log" "paper.tex:8: Undefined label 'S9'" && [ "$(ls "$d"/quillard-cache/*.tex | wc -l)" = 1 ] &&
      ok "latexmk: a diagram with an error fails with its document line, and gets no picture" ||
      bad "latexmk: error message"
  fi
else
  echo "note: latexmk is not installed (Debian: latexmk): its rule is not tried"
fi

# --- Build folders and names --------------------------------------------------

d=$work/outdir
paper "$d" outputdir=build
mkdir -p "$d/build"
compile "$d" pdflatex -shell-escape -output-directory=build paper && [ "$(runs "$d")" = 2 ] &&
  [ "$(ls "$d"/build/quillard-cache/*.tex | wc -l)" = 2 ] && [ ! -e "$d/quillard-cache" ] &&
  compile "$d" pdflatex -shell-escape -output-directory=build paper && [ "$(runs "$d")" = 0 ] &&
  ok "outputdir: -output-directory=build keeps the cache in build/ and uses it" || bad "outputdir"
paper "$d"
rm -rf "$d/build" && mkdir "$d/build"
! compile "$d" pdflatex -shell-escape -output-directory=build paper && has "$d/build/paper.log" "outputdir=" &&
  ok "outputdir: without it, quillard's failure says to give it" || bad "outputdir: missing option"

if have lualatex; then
  d=$work/outdir-lua
  paper "$d"
  mkdir -p "$d/build"
  compile "$d" lualatex -shell-escape -output-directory=build paper && [ "$(runs "$d")" = 2 ] &&
    [ "$(ls "$d"/build/quillard-cache/*.tex | wc -l)" = 2 ] &&
    ok "outputdir: LuaLaTeX finds -output-directory by itself" || bad "outputdir: LuaLaTeX"
fi

d="$work/a folder/with spaces"
paper "$d" "cachedir={my cache/pics}"
mv "$d/paper.tex" "$d/my paper.tex"
compile "$d" pdflatex -shell-escape "my paper" && [ "$(ls "$d/my cache/pics/"*.tex | wc -l)" = 2 ] &&
  ok "spaces: a document path and a cache folder with spaces" || bad "spaces"

# Values that would reach the shell are refused, and nothing at all is
# written or run.
i=0
while IFS= read -r value; do
  i=$((i + 1))
  d=$work/refused$i
  paper "$d" "$value"
  # Both diagrams take the package's options.
  sed -i 's/\[options=b\]//' "$d/paper.tex"
  compile "$d" pdflatex -shell-escape paper
  extra=$(cd "$d" && ls -A | grep -v -x -E 'paper\.(tex|log|aux|pdf)|quillard\.sty|latex\.out|runs')
  if has "$d/paper.log" "Package quillard Error" && [ "$(runs "$d")" = 0 ] && [ -z "$extra" ]; then
    ok "refused: $value"
  else
    bad "refused: $value (runs $(runs "$d"), files: $extra)"
  fi
done <<'EOF'
cachedir={c;touch pwned}
cachedir={$(touch pwned)}
cachedir={`touch pwned`}
cachedir={c'x}
cachedir={c"x}
cachedir={c\x}
cachedir=../up
cachedir=/tmp/abs
cachedir=.hidden
outputdir={b;touch pwned}
outputdir={b'$(id)'}
options={h;touch pwned}
options={h' '-x}
options=n
EOF
d=$work/refused-key
paper "$d"
sed -i 's/\[options=b\]/[options={b;touch pwned}]/' "$d/paper.tex"
compile "$d" pdflatex -shell-escape paper
[ "$(runs "$d")" = 1 ] && has "$d/paper.log" "is refused" && [ ! -e "$d/pwned" ] &&
  ok "refused: options= on one diagram leaves it out and runs quillard for the other" || bad "refused: per diagram"

# What follows \end{quillard} on its line is read as written there, so a
# diagram can end a table's cell: '& x \\' after it, and '\\' right after.
d=$work/table
paper "$d"
cat >"$d/paper.tex" <<'EOF'
\documentclass{article}
\usepackage{quillard}
\begin{document}
\setlength{\unitlength}{1cm}
\begin{tabular}{|c|c|}
\begin{quillard}
R (1)
\end{quillard} & x \\
y & \begin{quillard}
R (2)
\end{quillard}\\
\end{tabular}
\end{document}
EOF
compile "$d" pdflatex -shell-escape paper
[ "$(grep -c '^! ' "$d/paper.log")" = 0 ] && [ "$(runs "$d")" = 2 ] && [ -s "$d/paper.pdf" ] &&
  ok "table: diagrams end a cell, with '& x \\\\' or '\\\\' after \\end{quillard}" ||
  { bad "table: a diagram in a cell"; grep -A3 '^!' "$d/paper.log" | head -20; }

# A document that never set \unitlength is told once that its diagrams
# are drawn at 1pt; one that set it, or a diagram with unit=, is not.
d=$work/unit
paper "$d"
sed -i '/setlength/d' "$d/paper.tex"
compile "$d" pdflatex -shell-escape paper
[ "$(grep -c 'Package quillard Warning: paper.tex:5: the picture is drawn at' "$d/paper.log")" = 1 ] &&
  [ "$(grep -c 'the picture is drawn at' "$d/paper.log")" = 1 ] &&
  ! has "$work/cache/paper.log" "the picture is drawn at" &&
  ok "unit: diagrams at LaTeX's 1pt are warned of once, and only there" ||
  bad "unit: the warning of the 1pt unit"
sed -i 's/^\\begin{quillard}$/\\begin{quillard}[unit=1cm]/' "$d/paper.tex"
compile "$d" pdflatex -shell-escape paper
[ "$(grep -c 'the picture is drawn at' "$d/paper.log")" = 1 ] && grep -q 'paper.tex:12: the picture is drawn at' "$d/paper.log" &&
  ok "unit: a diagram with unit= is not warned of, the next one without it is" ||
  bad "unit: unit= and the warning"

# An environment inside another command's argument cannot be read as
# written: one clear error each, on its line, and the diagram after them
# drawn as usual, quillard run for it alone.  Neither they nor a missing
# source count among the pictures latexmk would build.
d=$work/argument
paper "$d"
cat >"$d/paper.tex" <<'EOF'
\documentclass{article}
\usepackage{graphicx}
\usepackage{quillard}
\begin{document}
\fbox{\begin{quillard}
R (1)
\end{quillard}}
\resizebox{2cm}{!}{%
\begin{quillard}[options=b]
R (1)
\end{quillard}}
\begin{quillard}[options=b]
R (1)
\end{quillard}
\quillardinput{nothere}
\end{document}
EOF
compile "$d" pdflatex -shell-escape paper
[ "$(grep -c '^! ' "$d/paper.log")" = 3 ] && [ "$(runs "$d")" = 1 ] && [ -s "$d/paper.pdf" ] &&
  ! has "$d/paper.log" "not built" &&
  [ "$(grep -c '^! Package quillard Error: paper.tex:\(7\|11\): A quillard environment' "$d/paper.log")" = 2 ] &&
  ok "argument: an environment inside \\fbox or \\resizebox is one error each, the next diagram is drawn, none is 'not built'" ||
  { bad "argument: inside another command's argument"; grep -A2 '^!' "$d/paper.log" | head -20; }

finish
