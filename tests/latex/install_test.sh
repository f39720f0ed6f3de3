#!/usr/bin/env bash
# 'cmake --install' into a staging folder (DESTDIR): the programs, the manual
# pages and the Vim files land where they belong, the manual pages format
# without warnings, and the installed qldview finds the installed quillard
# beside it (that last check needs LaTeX and is left out without it).
#
#   install_test.sh BUILD_DIR EXAMPLES_DIR
set -u
build=$1
examples=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/qld-install.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
unset QUILLARD QUILLARD_BIN

passed=0
failed=0
ok() { echo "ok   $*"; passed=$((passed + 1)); }
bad() { echo "FAIL $*"; failed=$((failed + 1)); }

stage=$work/stage
prefix=/opt/quillard-test
if ! DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log"
  echo "0 passed, 1 failed"
  exit 1
fi
root=$stage$prefix

for f in bin/quillard bin/qldview; do
  [ -x "$root/$f" ] && ok "$f installed, executable" || bad "$f missing or not executable"
done
for f in share/man/man1/quillard.1 share/man/man1/qldview.1 \
         share/vim/vimfiles/ftdetect/qld.vim share/vim/vimfiles/syntax/qld.vim \
         share/vim/vimfiles/ftplugin/qld.vim \
         share/doc/quillard/language.md share/doc/quillard/latexmkrc \
         share/texmf/tex/latex/quillard/quillard.sty; do
  [ -f "$root/$f" ] && [ ! -x "$root/$f" ] && ok "$f installed" || bad "$f missing (or executable)"
done

if command -v groff >/dev/null 2>&1; then
  for page in quillard qldview; do
    msgs=$(groff -man -Tutf8 -ww -z "$root/share/man/man1/$page.1" 2>&1)
    text=$(groff -man -Tutf8 "$root/share/man/man1/$page.1" 2>/dev/null | wc -l)
    if [ -z "$msgs" ] && [ "$text" -gt 40 ]; then
      ok "$page.1 formats without warnings ($text lines)"
    else
      bad "$page.1: $msgs"
    fi
  done
fi

"$root/bin/qldview" -V >/dev/null 2>&1 && ok "installed qldview runs" || bad "installed qldview -V failed"

# A PATH without any quillard or qldview, so only the one beside qldview can
# be found.
bin=$work/path
mkdir -p "$bin"
IFS=: read -r -a dirs <<<"$PATH"
for dir in "${dirs[@]}"; do
  [ -d "$dir" ] && ln -s "$dir"/* "$bin"/ 2>/dev/null
done
rm -f "$bin/quillard" "$bin/qldview"

if { command -v pdflatex && command -v pdftoppm; } >/dev/null 2>&1 ||
   { command -v latex && command -v dvipng; } >/dev/null 2>&1; then
  cp -- "$examples/feedback.qld" "$work/loop.qld"
  out=$(cd "$work" && PATH=$bin "$root/bin/qldview" loop.qld 2>&1)
  [ -s "$work/loop.png" ] && ok "installed qldview uses the installed quillard" || bad "installed qldview: $out"
else
  echo "note: no LaTeX, the installed qldview is not run on a picture"
fi

# The installed package, found through TEXMFHOME, runs the installed
# quillard and draws the picture.
if command -v pdflatex >/dev/null 2>&1; then
  mkdir -p "$work/paper"
  printf '%s\n' '\documentclass{article}' '\usepackage{quillard}' '\begin{document}' \
    '\begin{quillard}' 'R (1)' '\end{quillard}' '\end{document}' >"$work/paper/paper.tex"
  ln -s "$root/bin/quillard" "$bin/quillard"
  out=$(cd "$work/paper" && PATH=$bin TEXMFHOME="$root/share/texmf" \
        pdflatex -interaction=nonstopmode -shell-escape paper </dev/null 2>&1)
  if ls "$work"/paper/quillard-cache/*.tex >/dev/null 2>&1 && [ "$(TEXMFHOME="$root/share/texmf" kpsewhich quillard.sty)" = "$root/share/texmf/tex/latex/quillard/quillard.sty" ]; then
    ok "the installed package, on TEXMFHOME, draws with the installed quillard"
  else
    bad "the installed package: $(printf "%s" "$out" | tail -n 8)"
  fi
else
  echo "note: no pdflatex, the installed package is not tried"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
