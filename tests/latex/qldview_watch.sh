#!/usr/bin/env bash
# qldview -w: saving a change to the source gives a new picture within a few
# seconds, once with inotifywait and once by polling (inotifywait hidden);
# an interrupt ends the watch with status 0 and leaves nothing behind.
#
#   qldview_watch.sh QLDVIEW EXAMPLES_DIR
#
# Exit status 77 (skipped, reason printed) when LaTeX or a PNG converter is
# missing.
set -u

# The processes whose command line names the text: read from /proc by the
# shell itself, so that no searching process names it too.
running() {
  local p line
  for p in /proc/[0-9]*; do
    line=$(tr '\0' ' ' 2>/dev/null <"$p/cmdline") || continue
    case $line in *"$1"*) printf '%s: %s\n' "${p#/proc/}" "$line" ;; esac
  done
}

qldview=$(cd -- "$(dirname -- "$1")" && pwd)/$(basename -- "$1")
examples=$(cd -- "$2" && pwd)
limit=8   # seconds from the save to the new picture

have() { command -v "$1" >/dev/null 2>&1; }
if ! { have pdflatex && have pdftoppm; } && ! { have latex && have dvipng; }; then
  echo "SKIPPED: the previews need pdflatex and pdftoppm (Debian: texlive-latex-base, poppler-utils) or latex and dvipng."
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qldview-watch.XXXXXX") || exit 1
viewer=
trap '[ -n "$viewer" ] && kill "$viewer" 2>/dev/null; rm -rf -- "$work"' EXIT
unset QUILLARD QUILLARD_BIN

passed=0
failed=0
ok() { echo "ok   $*"; passed=$((passed + 1)); }
bad() { echo "FAIL $*"; failed=$((failed + 1)); }

png_width() { echo $((16#$(od -An -tx1 -j16 -N4 -- "$1" | tr -d ' \n'))); }
now() { date +%s.%N; }
# Waits until FILE has N lines or SECONDS have passed; true if it has them.
wait_lines() {
  local file=$1 n=$2 end
  end=$(awk -v t="$(now)" -v s="$3" 'BEGIN { printf "%.3f", t + s }')
  while [ "$(wc -l <"$file")" -lt "$n" ]; do
    awk -v t="$(now)" -v e="$end" 'BEGIN { exit !(t > e) }' && return 1
    sleep 0.05
  done
}

# A PATH of links to every program of the current PATH but inotifywait.
noinotify=$work/bin
mkdir -p "$noinotify"
IFS=: read -r -a dirs <<<"$PATH"
for dir in "${dirs[@]}"; do
  [ -d "$dir" ] && ln -s "$dir"/* "$noinotify"/ 2>/dev/null
done
rm -f -- "$noinotify/inotifywait"

while read -r way path; do
  if [ "$way" = inotifywait ] && ! have inotifywait; then
    echo "note: inotifywait is not installed (Debian: inotify-tools), only polling is tried"
    continue
  fi
  d=$work/$way
  mkdir -p "$d/tmp"
  cp -- "$examples/feedback.qld" "$d/plan.qld"
  (cd "$d" && PATH=$path TMPDIR=$d/tmp exec "$qldview" -w plan.qld </dev/null >out 2>err) &
  viewer=$!
  if ! wait_lines "$d/out" 1 60; then
    bad "$way: no first picture: $(cat "$d/err")"
    kill "$viewer" 2>/dev/null; wait "$viewer"; viewer=
    continue
  fi
  w1=$(png_width "$d/plan.png")
  # One more line to the right makes the picture wider.
  saved=$(now)
  printf 'r (12)\n' >>"$d/plan.qld"
  if wait_lines "$d/out" 2 "$limit"; then
    took=$(awk -v a="$saved" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }')
    w2=$(png_width "$d/plan.png")
    if [ "$w2" -gt "$w1" ]; then
      ok "$way: a new picture ${took}s after the save ($w1 then $w2 pixels wide)"
    else
      bad "$way: a picture printed, but not the new one ($w1 then $w2 pixels wide)"
    fi
  else
    bad "$way: no new picture within ${limit}s of the save: $(cat "$d/out" "$d/err")"
  fi
  kill -INT "$viewer"
  wait "$viewer"
  status=$?
  viewer=
  left=$(ls -A "$d/tmp")
  still=$(running "$d")
  if [ "$status" -eq 0 ] && [ -z "$left" ] && [ -z "$still" ]; then
    ok "$way: an interrupt ends the watch with status 0, nothing left running or behind"
  else
    bad "$way: after the interrupt: status $status, left in TMPDIR: '$left', processes: $still"
  fi
done <<CASES
inotifywait $PATH
polling     $noinotify
CASES

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
