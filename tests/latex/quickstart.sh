#!/usr/bin/env bash
# The README's first command, run as a newcomer runs it in a fresh copy of
# the sources: it builds the program alone (no playground, no tests, no fuzz
# target, even where emscripten is installed) and prints the picture of the
# bundled example, which must be the one the full build's quillard writes.
#
#   quickstart.sh SOURCE_DIR QUILLARD
set -u
src=$1
quillard=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/qld-quickstart.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT
passed=0
failed=0
ok() { echo "ok   $*"; passed=$((passed + 1)); }
bad() { echo "FAIL $*"; failed=$((failed + 1)); }

# The sources as a clone has them: tracked and new files, no build folders.
tree=$work/quillard
mkdir -p "$tree"
if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$src" && git ls-files -co --exclude-standard -z | xargs -0 cp --parents -t "$tree" 2>/dev/null)
else
  (cd "$src" && tar --exclude='./build*' --exclude='*/node_modules' --exclude='./out' -cf - .) | tar -xf - -C "$tree"
fi

cmd=$(awk '/^## Quick start/ { on = 1 } on && /^    / { sub(/^    /, ""); print; exit }' "$src/README.md")
[ -n "$cmd" ] && ok "the README's first command: $cmd" || { bad "no command under 'Quick start'"; echo "0 passed, 1 failed"; exit 1; }

start=$(date +%s)
(cd "$tree" && bash -c "$cmd") >"$work/out.txt" 2>"$work/err.txt"
status=$?
took=$(( $(date +%s) - start ))
[ $status -eq 0 ] && ok "it ends with status 0 (in ${took} s)" || { bad "status $status"; tail -n 20 "$work/err.txt"; }

expect=$(cd "$work" && "$quillard" --quiet --output=- "$src/examples/feedback.qld")
grep -qF -- "$expect" "$work/out.txt" && ok "it prints the picture of examples/feedback.qld" ||
  bad "the picture printed is not the example's"

b=$tree/build
[ -x "$b/quillard" ] && ok "quillard is built" || bad "no build/quillard"
for part in web/index.html tests/unit_tests tests/golden_tests tests/hostile/hostile_tests; do
  [ ! -e "$b/$part" ] && ok "no $part built" || bad "$part was built by the first command"
done
compgen -G "$b/web-wasm/*.o" >/dev/null && bad "WebAssembly objects were compiled" || ok "nothing compiled to WebAssembly"
[ ! -e "$tree/web/node_modules" ] && ok "no npm packages installed" || bad "npm packages were installed"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
