#!/usr/bin/env bash
# Compile times of a paper with N inline diagrams (default 50), against the
# same paper with the pictures made beforehand and \input directly.
#
#   latex/bench.sh QUILLARD_DIR [N] [REPEATS] [ENGINE]
#
# Each round, in turn: the first compile (empty cache, shell escape: quillard
# runs once per diagram), the fully cached compile (quillard not run), and
# the paper that inputs the pictures itself.  Prints every round and the
# medians, in seconds of wall-clock time.  A benchmark, not a test.
set -u
bindir=$(cd -- "$1" && pwd)
n=${2:-50}
repeats=${3:-5}
engine=${4:-pdflatex}
latexdir=$(cd -- "$(dirname -- "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/qld-bench.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
export PATH="$bindir:$PATH"
unset QUILLARD

# The diagrams: a feedback loop each, no two alike.
diagram() {
  printf 'R (1)\nc ("$r_{%d}$")\na (S)\np\nR (1)\nb (1.%02d, 0.8, "$G_{%d}(s)$")\nr (0.6)\nk (K)\nR (1)\nc ("$y$")\ng (K)\nd (1)\nl (S)\nU (S)\nm\n' "$1" "$1" "$1"
}
cp -- "$latexdir/quillard.sty" "$work/"
mkdir -p "$work/figs"
{
  printf '\\documentclass{article}\n\\usepackage{pict2e}\n\\usepackage{quillard}\n\\begin{document}\n'
  printf '\\setlength{\\unitlength}{5mm}\n'
  for i in $(seq 1 "$n"); do
    printf 'Diagram %d:\n\\begin{quillard}\n' "$i"
    diagram "$i"
    printf '\\end{quillard}\n\n'
  done
  printf '\\end{document}\n'
} >"$work/inline.tex"
{
  printf '\\documentclass{article}\n\\usepackage{pict2e}\n\\begin{document}\n'
  printf '\\setlength{\\unitlength}{5mm}\n'
  for i in $(seq 1 "$n"); do
    diagram "$i" >"$work/figs/d$i.qld"
    (cd "$work" && quillard --quiet --no-backup --output="figs/d$i.tex" "figs/d$i.qld")
    printf 'Diagram %d:\n\\input{figs/d%d}\n\n' "$i" "$i"
  done
  printf '\\end{document}\n'
} >"$work/direct.tex"

now() { date +%s.%N; }
run() {
  local t0 t1
  t0=$(now)
  (cd "$work" && "$engine" -interaction=batchmode "$@" </dev/null >/dev/null 2>&1) || { echo "$engine failed: $*" >&2; exit 1; }
  t1=$(now)
  echo "$t1 - $t0" | bc
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

run -shell-escape inline >/dev/null   # fonts and formats into the disk cache
printf '%-6s %10s %10s %10s\n' round first cached direct
: >"$work/first"; : >"$work/cached"; : >"$work/direct"
for r in $(seq 1 "$repeats"); do
  rm -rf "$work/quillard-cache"
  a=$(run -shell-escape inline)
  b=$(run -shell-escape inline)
  c=$(run direct)
  echo "$a" >>"$work/first"; echo "$b" >>"$work/cached"; echo "$c" >>"$work/direct"
  printf '%-6s %10.3f %10.3f %10.3f\n' "$r" "$a" "$b" "$c"
done
printf '%-6s %10.3f %10.3f %10.3f\n' median "$(median <"$work/first")" "$(median <"$work/cached")" "$(median <"$work/direct")"
grep -c 'Running quillard' "$work/inline.log" | sed 's/^/quillard runs in the last cached compile: /'
