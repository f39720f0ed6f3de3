#!/usr/bin/env bash
# Translates every example with the options it is meant for and typesets the
# picture with real LaTeX inside a small document.
#
#   examples_latex.sh QUILLARD EXAMPLES_DIR standard|pict2e
#
# standard: the picture environment of plain LaTeX; pict2e: the same document
# with \usepackage{pict2e}. Every engine found (latex, pdflatex) is used, and
# every LaTeX error fails the test. Exit status 77 (skipped, reason printed)
# when no LaTeX or, for the pict2e run, no pict2e.sty is installed.
set -u

quillard=$1
examples=$2
mode=$3
skip=77

engines=()
for e in latex pdflatex; do
  command -v "$e" >/dev/null 2>&1 && engines+=("$e")
done
if [ ${#engines[@]} -eq 0 ]; then
  echo "SKIPPED: neither latex nor pdflatex is installed (Debian: texlive-latex-base)."
  exit $skip
fi
package=
if [ "$mode" = pict2e ]; then
  if ! command -v kpsewhich >/dev/null 2>&1 || [ -z "$(kpsewhich pict2e.sty 2>/dev/null)" ]; then
    echo "SKIPPED: pict2e.sty is not installed (Debian: texlive-pictures)."
    exit $skip
  fi
  package='\usepackage{pict2e}'
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quillard-latex.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
unset QUILLARD

# The options an example is meant to be run with, from its line
# '%% run: quillard [-options] name'.
options_of() {
  sed -n 's/^%% run: quillard[[:space:]]\{1,\}\(-[[:alnum:]]*\)[[:space:]].*/\1/p' "$1" | head -n 1
}

passed=0
failed=0
fail() {
  echo "FAIL $*"
  failed=$((failed + 1))
}

mapfile -t sources < <(find "$examples" -name '*.qld' -type f | LC_ALL=C sort)
if [ ${#sources[@]} -eq 0 ]; then
  echo "FAIL: no example found under $examples"
  exit 1
fi

n=0
for src in "${sources[@]}"; do
  n=$((n + 1))
  name=$(basename -- "$src" .qld)
  rel=${src#"$examples"/}
  dir=$work/$n
  mkdir -p "$dir"
  # The configuration is read from the current directory: bring the
  # example's own along, as running quillard in its folder would.
  srcdir=$(dirname -- "$src")
  [ -f "$srcdir/.quillard" ] && cp -- "$srcdir/.quillard" "$dir/"
  opts=$(options_of "$src")
  args=()
  [ -n "$opts" ] && args+=("$opts")
  args+=("$(cd -- "$srcdir" && pwd)/$name.qld")

  if ! (cd "$dir" && "$quillard" "${args[@]}" </dev/null >quillard.log 2>&1); then
    fail "$rel: quillard ${args[*]} ended with an error:"
    sed -n '/^Checking/,$p' "$dir/quillard.log"
    continue
  fi
  if [ "$(head -c 16 "$dir/$name.tex")" != '\begin{picture}(' ] ||
     [ "$(tail -n 1 "$dir/$name.tex")" != '\end{picture}' ]; then
    fail "$rel: $name.tex is not one picture environment"
    continue
  fi
  cat >"$dir/doc.tex" <<DOC
\\documentclass{article}
$package
\\begin{document}
\\setlength{\\unitlength}{1cm}
\\noindent\\input{$name.tex}
\\end{document}
DOC
  for engine in "${engines[@]}"; do
    rm -f "$dir/doc.log"
    if (cd "$dir" && "$engine" -interaction=nonstopmode -halt-on-error doc.tex </dev/null >"$engine.out" 2>&1) &&
       ! grep -q '^!' "$dir/doc.log"; then
      echo "ok   $rel ${opts:-(no options)} $engine $mode"
      passed=$((passed + 1))
    else
      fail "$rel ${opts:-(no options)} $engine $mode:"
      grep -A4 '^!' "$dir/doc.log" 2>/dev/null || tail -n 20 "$dir/$engine.out"
    fi
  done
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
