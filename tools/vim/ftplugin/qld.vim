" Vim filetype plugin file
" Language:     Quillard picture language (.qld) and .quillard defaults
" Filenames:    *.qld, .quillard
"
" ':make' in a .qld buffer translates it with 'quillard --quiet', and the
" quickfix list takes its errors and warnings (FILE:LINE: message), so that
" Vim jumps to the first of them and ':cnext' to the next.

if exists("b:did_ftplugin")
  finish
endif
let b:did_ftplugin = 1
let s:cpo_save = &cpo
set cpo&vim

" '%%' starts a comment at the end of a line, and a line of its own.
setlocal commentstring=%%\ %s
setlocal comments=:%%

" The .quillard file is no picture: it keeps Vim's own 'makeprg'.
if expand('%:t') !=# '.quillard'
  setlocal makeprg=quillard\ --quiet\ %
endif
" Warnings first: their lines would match the error pattern too.  Messages
" about the run as a whole ("quillard: ...") are listed without a place.
setlocal errorformat=%f:%l:\ %tarning:\ %m,%f:%l:\ %m,%+Gquillard:\ %m,%-G%.%#

let b:undo_ftplugin = "setlocal commentstring< comments< makeprg< errorformat<"

let &cpo = s:cpo_save
unlet s:cpo_save
