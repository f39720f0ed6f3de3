" Quillard picture sources and the .quillard file of house defaults.
autocmd BufNewFile,BufRead *.qld,.quillard setfiletype qld
