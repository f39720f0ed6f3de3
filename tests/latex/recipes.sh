#!/usr/bin/env bash
# The build recipes of the documentation, tried on a small paper with two
# pictures: a Makefile pattern rule and a latexmk custom dependency.  Each
# must rebuild only the picture whose source changed, finish the paper (its
# reference to a figure resolved, no '??'), and a source with an error must
# fail the build and leave no stale picture behind.
#
#   recipes.sh QUILLARD_DIR DOCS_DIR
#
# QUILLARD_DIR holds the built quillard; DOCS_DIR the recipe files
# (Makefile.example and latexmkrc.example).  Exit status 77 (skipped, with
# the reason printed) when make, pdflatex or latexmk is missing.
set -u
bindir=$1
docs=$2
skip=77

work=$(mktemp -d "${TMPDIR:-/tmp}/quillard-recipes.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
export PATH="$bindir:$PATH"
unset QUILLARD

passed=0
failed=0
skipped=
ok() { echo "ok   $*"; passed=$((passed + 1)); }
bad() { echo "FAIL $*"; failed=$((failed + 1)); }
have() { command -v "$1" >/dev/null 2>&1; }
mtime() { stat -c %Y.%y -- "$1" 2>/dev/null; }

# A paper with two pictures in figs/.
project() {
  local dir=$1
  mkdir -p "$dir/figs"
  printf 'R (1)\nb (1, 0.6, "$A$")\nR (1)\n' >"$dir/figs/a.qld"
  printf 'D (1)\nb (1, 0.6, "$B$")\nD (1)\n' >"$dir/figs/b.qld"
  cat >"$dir/paper.tex" <<'TEX'
\documentclass{article}
\begin{document}
\setlength{\unitlength}{1cm}
Figure~\ref{fig:b} shows the second picture.
\begin{figure}[h]\centering\input{figs/a}\caption{One}\label{fig:a}\end{figure}
\begin{figure}[h]\centering\input{figs/b}\caption{Two}\label{fig:b}\end{figure}
\end{document}
TEX
}

# Each tool: its command, and the file that holds its recipe.
try() {
  local name=$1 recipe=$2 target=$3
  shift 3
  local dir=$work/$name
  project "$dir"
  cp -- "$docs/$recipe" "$dir/$target"
  if ! (cd "$dir" && "$@") >"$dir/log1" 2>&1; then
    bad "$name: the first build failed"; cat "$dir/log1"; return
  fi
  if [ -s "$dir/figs/a.tex" ] && [ -s "$dir/figs/b.tex" ] && [ -s "$dir/paper.pdf" ]; then
    ok "$name: both pictures and the paper are built"
  else
    bad "$name: pictures or paper missing after the first build"
  fi
  if have pdftotext; then
    local text
    text=$(pdftotext "$dir/paper.pdf" - 2>/dev/null)
    if grep -q 'Figure 2 shows' <<<"$text" && ! grep -q '??' <<<"$text"; then
      ok "$name: the reference to a figure is resolved in one build"
    else
      bad "$name: the paper's reference is not resolved: $(head -n 3 <<<"$text")"
    fi
  fi
  local a1 b1
  a1=$(mtime "$dir/figs/a.tex")
  b1=$(mtime "$dir/figs/b.tex")
  sleep 1.1
  printf 'R (2)\nb (1, 0.6, "$A$")\nR (1)\n' >"$dir/figs/a.qld"
  (cd "$dir" && "$@") >"$dir/log2" 2>&1
  if [ "$(mtime "$dir/figs/a.tex")" != "$a1" ] && [ "$(mtime "$dir/figs/b.tex")" = "$b1" ] &&
     grep -q 'vector(1,0){2}' "$dir/figs/a.tex"; then
    ok "$name: only the changed picture is rebuilt"
  else
    bad "$name: a change to a.qld did not rebuild exactly a.tex"; cat "$dir/log2"
  fi
  sleep 1.1
  printf 'D (1)\nZ (1)\n' >"$dir/figs/b.qld"
  if (cd "$dir" && "$@") >"$dir/log3" 2>&1; then
    bad "$name: a source with an error did not fail the build"
  elif [ -e "$dir/figs/b.tex" ]; then
    bad "$name: a stale figs/b.tex is left after the failed build"
  elif grep -q 'figs/b.qld:2: Syntax error' "$dir/log3"; then
    ok "$name: the error fails the build with figs/b.qld:2 and leaves no picture"
  else
    bad "$name: the error message is not in the build's output"; cat "$dir/log3"
  fi
}

if have make && have pdflatex; then
  try make Makefile.example Makefile make
else
  skipped="$skipped make and pdflatex (Debian: make texlive-latex-base)"
fi
if have latexmk && have pdflatex; then
  try latexmk latexmkrc.example .latexmkrc latexmk -pdf -interaction=nonstopmode paper
else
  skipped="$skipped latexmk (Debian: latexmk)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] || exit 1
if [ -n "$skipped" ]; then
  echo "SKIPPED: not installed:$skipped"
  [ "$passed" -eq 0 ] && exit $skip
fi
exit 0
