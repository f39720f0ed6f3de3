#include "quillard.h"

namespace {

// The name in a note "FILE:LINE: Undefined KIND 'NAME'\n", or false.
bool undefined(std::string_view note, std::string_view head, std::string_view& name)
{
    if (note.size() < head.size() + 2 || note.substr(0, head.size()) != head ||
        note.substr(note.size() - 2) != "'\n")
        return false;
    name = note.substr(head.size(), note.size() - head.size() - 2);
    return true;
}

}  // namespace

// A label or length used above the line that defines it is undefined there
// (a label in the first pass only, a length in both): its note says where
// it is defined, so that the message does not seem to deny a definition
// the author can see.
void below(State& st)
{
    Diag& diag = st.diag;
    if (!diag.quiet)
        return;
    for (std::size_t k = 0; k < diag.notes.size(); ++k) {
        const Note nt = diag.notes[k];
        std::string_view note = std::string_view(diag.text).substr(nt.off, nt.len);
        std::string where = diag.file + ":" + std::to_string(nt.line) + ": Undefined ";
        std::string_view name;
        Lineno at = 0;
        const char* kind = nullptr;
        if (undefined(note, where + "label '", name)) {
            int slot = findlab(st.lab, name);
            if (slot >= 0 && static_cast<std::size_t>(slot) < diag.labline.size())
                at = diag.labline[static_cast<std::size_t>(slot)];
            kind = "label";
        } else if (undefined(note, where + "length '$", name)) {
            int slot = findlen(st.len, name);
            if (slot >= 0 && static_cast<std::size_t>(slot) < diag.lenline.size())
                at = diag.lenline[static_cast<std::size_t>(slot)];
            kind = "length";
        }
        if (at <= nt.line)
            continue;
        // How far down, not the line's number: the LaTeX package numbers a
        // diagram's lines by the document's, and it renumbers only the
        // message's own line.
        Lineno down = at - nt.line;
        std::string msg(note.substr(0, note.size() - 1));
        msg += ": it is defined " + std::to_string(down) + (down == 1 ? " line" : " lines") +
               " further down, and only the lines below its definition may use the " + kind +
               "\n";
        renote(diag, k, msg);
    }
}
