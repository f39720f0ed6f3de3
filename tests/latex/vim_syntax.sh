#!/usr/bin/env bash
# The Vim files: .qld and .quillard are detected, commands, operands, LaTeX
# lines and their substitutions get their own syntax groups, a line that is
# no command shows as an error, every example loads without a Vim error, and
# ':make' translates the buffer and lands on the line of its first message.
#
#   vim_syntax.sh VIMFILES_DIR EXAMPLES_DIR QUILLARD_DIR
set -u
vimfiles=$1
examples=$2
bindir=${3:-}

if ! command -v vim >/dev/null 2>&1; then
  echo "SKIPPED: vim is not installed."
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qld-vim.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT

cat >"$work/probe.qld" <<'QLD'
%% a comment line
-R! (A)  %% tail
r (1.5)
Z (1)
$w = 2
%\put("&){\circle{"$w"}}
b (1, 2, "x")
\a = $w
-\c
p %% mark
x (-$w)
-m
t (u)
a (S)
QLD

# line:column:expected group
expect='1:1:qldComment
2:1:qldLine
2:6:qldLabel
2:10:qldTrail
3:1:qldLine
3:4:qldNumber
4:1:qldError
5:1:qldLength
5:6:qldNumber
6:1:qldTeX
6:7:qldSubst
6:19:qldSubst
7:1:qldBox
7:2:
7:3:qldParen
7:4:qldNumber
7:10:qldString
8:1:qldParam
8:6:qldLenRef
9:1:qldParam
10:1:qldMark
10:3:qldTrail
11:1:qldMove
11:5:qldLenRef
12:1:qldMark
13:1:qldMove
13:4:qldLabel
14:1:qldNode
14:4:qldLabel'

cat >"$work/probe.vim" <<VIM
let out = [&filetype]
for item in split("$(echo "$expect" | tr '\n' ' ')")
  let [l, c] = split(item, ':')[0:1]
  call add(out, l . ':' . c . ':' . synIDattr(synID(l, c, 1), 'name'))
endfor
call writefile(out, '$work/probe.out')
qa!
VIM

run_vim() {
  vim -Nu NONE -i NONE -n -es -c "set rtp^=$vimfiles" -c 'filetype plugin on' -c 'syntax on' "$@" </dev/null >/dev/null 2>&1
}

passed=0
failed=0
run_vim -c "e $work/probe.qld" -c "source $work/probe.vim"
got=$(cat "$work/probe.out" 2>/dev/null)
if [ "$(head -n 1 <<<"$got")" = qld ]; then
  echo "ok   *.qld detected"; passed=$((passed + 1))
else
  echo "FAIL *.qld not detected: '$(head -n 1 <<<"$got")'"; failed=$((failed + 1))
fi
while IFS= read -r line; do
  if grep -qxF -- "$line" <<<"$got"; then
    passed=$((passed + 1))
  else
    echo "FAIL expected $line, got $(grep "^${line%:*}:" <<<"$got")"; failed=$((failed + 1))
  fi
done <<<"$expect"

printf '\\a = 0.2\n' >"$work/.quillard"
run_vim -c "e $work/.quillard" -c "call writefile([&filetype], '$work/ft.out')" -c 'qa!'
if [ "$(cat "$work/ft.out" 2>/dev/null)" = qld ]; then
  echo "ok   .quillard detected"; passed=$((passed + 1))
else
  echo "FAIL .quillard not detected"; failed=$((failed + 1))
fi

# No example line may show as an error, and Vim reports no error loading it.
while IFS= read -r src; do
  rm -f "$work/ex.out"
  run_vim -c "e $src" -c "let errs = []" \
    -c "for l in range(1, line('\$')) | if synIDattr(synID(l, match(getline(l), '\\S') + 1, 1), 'name') ==# 'qldError' | call add(errs, l) | endif | endfor" \
    -c "call writefile(['errors:' . join(errs, ',') . ':' . v:errmsg], '$work/ex.out')" -c 'qa!'
  res=$(cat "$work/ex.out" 2>/dev/null)
  if [ "$res" = "errors::" ]; then
    echo "ok   ${src#"$examples"/} shows no error"; passed=$((passed + 1))
  else
    echo "FAIL ${src#"$examples"/}: $res"; failed=$((failed + 1))
  fi
done < <(find "$examples" -name '*.qld' -type f | LC_ALL=C sort)

# :make: the warning of line 2 and the error of line 4, in that order, and
# the cursor on line 2.
if [ -n "$bindir" ]; then
  mkdir -p "$work/make"
  printf 'R (1)\nc ("50%% duty")\nR (1)\nZ (1)\n' >"$work/make/plan.qld"
  (cd "$work/make" && PATH=$bindir:$PATH run_vim -c 'e plan.qld' -c 'silent make' \
    -c "call writefile([&makeprg, line('.')] + map(getqflist(), 'v:val.lnum . v:val.type . v:val.valid'), '$work/make.out')" \
    -c 'qa!')
  got=$(tr '\n' ' ' <"$work/make.out" 2>/dev/null)
  if [ "$got" = "quillard --quiet % 2 2w1 41 " ]; then
    echo "ok   :make lands on the first message, a warning, then the error"; passed=$((passed + 1))
  else
    echo "FAIL :make gave '$got'"; failed=$((failed + 1))
  fi
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
