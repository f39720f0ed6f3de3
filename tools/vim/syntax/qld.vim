" Vim syntax file
" Language:     Quillard picture language (.qld) and .quillard defaults
" Filenames:    *.qld, .quillard
"
" One command per line, chosen by its first character. A line that is not a
" command shows as an error; '%' lines carry LaTeX, with their substitutions
" ("x "y "& "*A" "/A" "@A" "$w" "-$w") marked.

if exists("b:current_syntax")
  finish
endif
let s:cpo_save = &cpo
set cpo&vim

syn case match

" Anything that is not one of the lines below.
syn match qldError /^\s*\S.*$/

" Operands.
syn match  qldNumber   /-\=\%(\d\+\.\=\d*\|\.\d*\)/ contained nextgroup=qldTrail skipwhite
syn match  qldLenRef   /-\=\$[^(),"%]\+/ contained nextgroup=qldTrail skipwhite
syn match  qldLabel    /[^ \t()0-9.$=,"-][^()=$,"]*/ contained
syn region qldString   start=/"/ end=/"/ contained oneline
syn region qldArgs     matchgroup=qldParen start=/(/ end=/)/ contained oneline
      \ contains=qldNumber,qldLenRef,qldString,qldLabel nextgroup=qldTrail skipwhite
syn match  qldTrail    /%%.*$/ contained contains=@Spell
syn match  qldAssign   /=/ contained nextgroup=qldNumber,qldLenRef skipwhite

" Commands: the letter, with the '-' prefix and the '!' of dashed lines.
syn match qldLine     /^\s*\%(-\s*\)\=[rRuUlLdD]\%(\s*!\)\=/ nextgroup=qldArgs skipwhite
syn match qldBox      /^\s*\%(-\s*\)\=[bB]/ nextgroup=qldArgs skipwhite
syn match qldNode     /^\s*[akn]/ nextgroup=qldArgs skipwhite
syn match qldNote     /^\s*c/ nextgroup=qldArgs skipwhite
syn match qldSample   /^\s*\%(-\s*\)\=s/ nextgroup=qldArgs skipwhite
syn match qldMove     /^\s*[xyXYgt]/ nextgroup=qldArgs skipwhite
syn match qldMark     /^\s*\%(-\s*\)\=[pm]\ze\s*\%(%%.*\)\=$/ nextgroup=qldTrail skipwhite
syn match qldLength   /^\s*\$[^=]*/ nextgroup=qldAssign skipwhite
syn match qldParam    /^\s*\%(-\s*\)\=\\\s*[tblrakpvcdseio]/ nextgroup=qldAssign,qldTrail skipwhite

" LaTeX text lines and LaTeX comment lines.
syn match  qldSubst   /"[xy&]/ contained
syn match  qldSubst   /"\%([*\/@]\|-\=\$\)[^"]*"/ contained
syn match  qldTeX     /^\s*%\%(%\)\@!.*$/ contains=qldSubst
syn match  qldComment /^\s*%%.*$/ contains=@Spell

hi def link qldError   Error
hi def link qldNumber  Number
hi def link qldLenRef  Identifier
hi def link qldLabel   Label
hi def link qldString  String
hi def link qldParen   Delimiter
hi def link qldTrail   Comment
hi def link qldComment Comment
hi def link qldAssign  Operator
hi def link qldLine    Statement
hi def link qldBox     Type
hi def link qldNode    Define
hi def link qldNote    Statement
hi def link qldSample  Statement
hi def link qldMove    Keyword
hi def link qldMark    Operator
hi def link qldLength  PreProc
hi def link qldParam   PreProc
hi def link qldTeX     Macro
hi def link qldSubst   Special

let b:current_syntax = "qld"

let &cpo = s:cpo_save
unlet s:cpo_save
