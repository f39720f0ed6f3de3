# Shared by the tests of the quillard LaTeX package (sourced).  Expects
# $bindir (the built quillard) to be set.
#
# quillard is found through a wrapper on PATH that counts its runs, so that
# a test can tell how often the package ran it.

work=$(mktemp -d "${TMPDIR:-/tmp}/qld-package.XXXXXX") || exit 1
[ -n "${QLD_KEEP:-}" ] && echo "keeping $work" || trap 'rm -rf -- "$work"' EXIT
unset QUILLARD TEXMF_OUTPUT_DIRECTORY
export LC_ALL=C

passed=0
failed=0
ok() { echo "ok   $*"; passed=$((passed + 1)); }
bad() { echo "FAIL $*"; failed=$((failed + 1)); }
have() { command -v "$1" >/dev/null 2>&1; }

debpkg() {
  case $1 in
    lualatex) echo texlive-luatex ;;
    xelatex) echo texlive-xetex ;;
    latexmk) echo latexmk ;;
    *) echo texlive-latex-base ;;
  esac
}

# Skips the whole test (status 77) when a program is missing.
need() {
  if ! have "$1"; then
    echo "SKIPPED: $1 is not installed: $2"
    exit 77
  fi
}

wrap=$work/bin
mkdir -p "$wrap"
cat >"$wrap/quillard" <<EOF
#!/bin/sh
echo run >>"\$QLD_RUNS"
exec "$bindir/quillard" "\$@"
EOF
chmod 755 "$wrap/quillard"
export PATH="$wrap:$PATH"

# compile DIR ENGINE [FLAGS...] DOC: one LaTeX run in DIR, its output in
# DIR/latex.out and its runs of quillard counted afresh; LaTeX's status.
compile() {
  local dir=$1 engine=$2
  shift 2
  : >"$dir/runs"
  (cd -- "$dir" && QLD_RUNS="$dir/runs" "$engine" -interaction=nonstopmode "$@" </dev/null >latex.out 2>&1)
}
runs() { wc -l <"$1/runs" | tr -d ' '; }

# diagrams FILE PREFIX: the lines of each inline diagram of FILE into
# PREFIX.1, PREFIX.2, ...
diagrams() {
  awk -v p="$2" '
    inside && /^[ \t]*\\end\{quillard\}/ { inside = 0; next }
    inside { print > (p "." n) }
    /\\begin\{quillard\}/ { inside = 1; n++; printf "" > (p "." n) }
  ' "$1"
}

# cached_match DIR FILE: the cache name whose source is FILE byte for byte.
cached_match() {
  local f
  for f in "$1"/quillard-cache/*.qld; do
    [ -f "$f" ] && cmp -s -- "$f" "$2" && { basename -- "$f" .qld; return; }
  done
}

# same_as_quillard DIR NAME: the cached picture NAME.tex is what quillard
# writes for NAME.qld with the letters at the end of the name, run in DIR.
same_as_quillard() {
  local dir=$1 name=$2 letters=
  case $name in *-*) letters=-${name##*-} ;; esac
  (cd -- "$dir" && "$bindir/quillard" --quiet --no-backup $letters --output="$work/ref.tex" \
      "quillard-cache/$name.qld" 2>/dev/null)
  cmp -s -- "$work/ref.tex" "$dir/quillard-cache/$name.tex"
}

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
