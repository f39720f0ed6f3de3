#!/usr/bin/env bash
# The quillard LaTeX package under one engine, with shell escape: a paper
# with two inline diagrams that use every special character and one
# \quillardinput, with and without pict2e.  Each cached source must be the
# diagram's text as the engine can write it, each cached picture exactly
# what quillard writes for that source, and quillard must run once per
# diagram.
#
#   package_engines.sh QUILLARD_DIR LATEX_DIR ENGINE
#
# ENGINE is pdflatex, lualatex or xelatex; exit status 77 (skipped, with
# the reason printed) when it is not installed.
set -u
bindir=$1
latexdir=$2
engine=$3
here=$(cd -- "$(dirname -- "$0")" && pwd)
. "$here/package_lib.sh"

need "$engine" "TeX Live's $engine (Debian: $(debpkg "$engine"))"

# What TeX can write of a line: it drops the blanks at the end of every
# line it reads (LuaTeX keeps them, reading the file itself), and XeTeX
# writes a tab only as ^^I, so the package makes it a space there.
expected() {
  case $engine in
    lualatex) cat ;;
    xelatex) tr '\t' ' ' | sed 's/ *$//' ;;
    *) sed 's/ *$//' ;;
  esac
}

for variant in pict2e plain; do
  dir=$work/$variant
  mkdir -p "$dir/figs"
  cp -- "$latexdir/quillard.sty" "$dir/"
  # The .qld file has no blanks at line ends, so its picture is also the
  # picture of the file itself under every engine.
  printf 'R (1)\nc ("$r$")\na (S)\np\nR (1)\nb (1.4, 0.8, "\\small$G_1(s)$")\nR (1)\ng (S)\nd (0.8)\nl (1)\n' >"$dir/figs/loop.qld"
  {
    printf '\\documentclass{article}\n'
    [ $variant = pict2e ] && printf '\\usepackage{pict2e}\n'
    printf '\\usepackage{graphicx}\n\\usepackage{quillard}\n\\begin{document}\n'
    printf '\\setlength{\\unitlength}{1cm}\n'
    printf 'A loop with every special character:\n\n'
    printf '\\begin{quillard}[unit=8mm]  %% keys on the begin line\n'
    printf '  R (1)\n'
    printf '\tc ("$\\alpha^2_{i}$")\t%%%% tab indent, tab before the comment\n'
    printf 'a (S)   \n'
    printf '   \n'
    printf 'p\n'
    printf 'R (1.2)\n'
    printf 'b (2.2, 0.8, "\\$5 \\# \\& \\%% \\_ \\~{} \\{\\}")\n'
    printf '%%\\put("&){\\makebox(0,0)[l]{~$\\backslash$}}\n'
    printf '%%%% a comment line: caf\xc3\xa9 \xe2\x88\x91 \xf0\x9d\x94\xb8 # ^ & ~ \\ { }\n'
    printf 'R (1)\n'
    printf 'c ("caf\xc3\xa9 \xc3\xbc")\n'
    printf '\\end{quillard}\n\n'
    printf '\\begin{figure}[h]\n\\centering\n'
    printf '\\begin{quillard}[options=hb]\n'
    printf 'b (1.4, 0.8, "$C(s)$")\n'
    printf 'R (1)\n'
    printf 'k (K)\n'
    printf '  \\end{quillard}%%\n'
    printf '\\caption{A box in a figure.}\n\\end{figure}\n\n'
    printf '\\resizebox{0.5\\linewidth}{!}{\\quillardinput[options=s]{figs/loop}}\n'
    printf '\\end{document}\n'
  } >"$dir/paper.tex"

  if ! compile "$dir" "$engine" -shell-escape paper; then
    bad "$engine $variant: the paper did not compile"; tail -n 30 "$dir/paper.log"; continue
  fi
  [ "$(runs "$dir")" = 3 ] && ok "$engine $variant: quillard ran once per diagram" ||
    bad "$engine $variant: quillard ran $(runs "$dir") times, not 3"

  # Each diagram's text, as the engine writes it, must be a cached source,
  # and the picture beside it what quillard writes for it.
  diagrams "$dir/paper.tex" "$dir/d"
  cp -- "$dir/figs/loop.qld" "$dir/d.3"
  for n in 1 2 3; do
    expected <"$dir/d.$n" >"$dir/want.$n"
    name=$(cached_match "$dir" "$dir/want.$n")
    if [ -z "$name" ]; then
      bad "$engine $variant: no cached source equals diagram $n byte for byte"
      od -c "$dir/want.$n" | head -n 20; ls "$dir/quillard-cache"
      continue
    fi
    if same_as_quillard "$dir" "$name"; then
      ok "$engine $variant: diagram $n cached as quillard's own picture ($name)"
    else
      bad "$engine $variant: the picture $name differs from quillard's"
    fi
  done
  grep -q 'quillard-cache/[0-9a-f]*-hb.tex' "$dir/paper.log" && grep -q 'quillard-cache/[0-9a-f]*-s.tex' "$dir/paper.log" &&
    ok "$engine $variant: the option letters are part of the names" ||
    bad "$engine $variant: the pictures with options were not read"
done
finish
