#!/usr/bin/env bash
# Typesets the package manual with the package itself: its examples are
# inline diagrams, so quillard runs (shell escape) as the manual compiles.
#
#   make_manual.sh QUILLARD_DIR LATEX_DIR MANUAL_TEX OUT_DIR
#
# Writes OUT_DIR/quillard-package.pdf; the work (and the picture cache) is
# kept in OUT_DIR/manual, so an unchanged manual compiles without quillard.
set -u
bindir=$1
latexdir=$2
tex=$3
out=$4
work=$out/manual
mkdir -p "$work" || exit 1
cp -- "$tex" "$work/quillard-package.tex" || exit 1
command -v pdflatex >/dev/null 2>&1 || { echo "make_manual: pdflatex is not installed (Debian: texlive-latex-base)" >&2; exit 1; }
export PATH="$bindir:$PATH" TEXINPUTS="$latexdir:"
unset QUILLARD
for pass in 1 2; do
  if ! (cd "$work" && pdflatex -interaction=nonstopmode -halt-on-error -shell-escape quillard-package.tex </dev/null >pdflatex.out 2>&1); then
    grep -A6 '^!' "$work/quillard-package.log" >&2 || tail -n 30 "$work/pdflatex.out" >&2
    echo "make_manual: pdflatex failed (pass $pass); see $work/quillard-package.log" >&2
    exit 1
  fi
done
if grep -q 'quillard Warning\|quillard Error' "$work/quillard-package.log"; then
  grep -A2 'quillard Warning\|quillard Error' "$work/quillard-package.log" >&2
  echo "make_manual: the package warned while typesetting its manual" >&2
  exit 1
fi
cp -- "$work/quillard-package.pdf" "$out/quillard-package.pdf" && echo "$out/quillard-package.pdf"
