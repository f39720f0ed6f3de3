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

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// a and b one slip apart: a character changed, added, dropped, or two
// neighbours swapped.
bool slip(std::string_view a, std::string_view b)
{
    if (a.size() < b.size())
        std::swap(a, b);
    if (a.size() - b.size() > 1)
        return false;
    std::size_t k = 0;
    while (k < b.size() && a[k] == b[k])
        ++k;
    if (k == b.size())
        return a.size() != b.size();   // one added at the end, or the same
    if (a.size() != b.size())
        return a.substr(k + 1) == b.substr(k);
    if (a.substr(k + 1) == b.substr(k + 1))
        return true;
    return k + 1 < a.size() && a[k] == b[k + 1] && a[k + 1] == b[k] &&
           a.substr(k + 2) == b.substr(k + 2);
}

// The one defined name the author may have meant by name: the only one
// that differs in case alone, else the only one a slip away whatever the
// case (both names of three characters or more, so that short names do not
// all look alike); empty when there is none, or more than one.  low holds
// the names in lower case, made once for all the notes.
std::string_view meant(std::string_view name, const std::string* names,
                       const std::vector<std::string>& low)
{
    std::string want = lower(name);
    std::string_view found[2];   // by case alone, by a slip
    int count[2] = {0, 0};
    for (std::size_t j = 0; j < low.size(); ++j) {
        const std::string& lc = low[j];
        int way = lc == want ? 0 : want.size() >= 3 && lc.size() >= 3 && slip(want, lc) ? 1 : -1;
        if (way >= 0 && names[j] != found[way]) {
            found[way] = names[j];
            ++count[way];
        }
    }
    if (count[0] > 0)
        return count[0] == 1 ? found[0] : std::string_view();
    return count[1] == 1 ? found[1] : std::string_view();
}

std::vector<std::string> lowered(const std::string* names, int n)
{
    std::vector<std::string> out;
    for (int j = 0; j < n; ++j)
        out.push_back(lower(names[j]));
    return out;
}

}  // namespace

// A label or length used above the line that defines it is undefined there
// (a label in the first pass only, a length in both): its note says where
// it is defined, so that the message does not seem to deny a definition
// the author can see.  One that is defined nowhere is perhaps a name of the
// other kind, or a slip of the keyboard: its note names what was meant
// when only one name fits.
void below(State& st)
{
    Diag& diag = st.diag;
    if (!diag.quiet || diag.notes.empty())
        return;
    std::vector<std::string> labs = lowered(st.lab.labname.data(), st.lab.nlab);
    std::vector<std::string> lens = lowered(st.len.lenname.data(), st.len.nlen);
    for (std::size_t k = 0; k < diag.notes.size(); ++k) {
        const Note nt = diag.notes[k];
        std::string_view note = std::string_view(diag.text).substr(nt.off, nt.len);
        std::string where = diag.file + ":" + std::to_string(nt.line) + ": Undefined ";
        std::string_view name;
        Lineno at = 0;
        bool label = undefined(note, where + "label '", name);
        if (!label && !undefined(note, where + "length '$", name))
            continue;
        int slot = label ? findlab(st.lab, name) : findlen(st.len, name);
        const std::vector<Lineno>& lines = label ? diag.labline : diag.lenline;
        if (slot >= 0 && static_cast<std::size_t>(slot) < lines.size())
            at = lines[static_cast<std::size_t>(slot)];
        const char* kind = label ? "label" : "length";
        std::string msg(note.substr(0, note.size() - 1));
        if (slot < 0) {
            // Defined nowhere: perhaps a name of the other kind, or a slip.
            // Said as a fact, not a question: the LaTeX package ends each
            // message with a full stop.
            std::string_view near = label ? meant(name, st.lab.labname.data(), labs)
                                          : meant(name, st.len.lenname.data(), lens);
            if (label ? findlen(st.len, name) >= 0 : findlab(st.lab, name) >= 0)
                label = !label;
            else if (!near.empty())
                name = near;
            else
                continue;
            msg += std::string(": there is a ") + (label ? "label '" : "length '$") +
                   std::string(name) + "'\n";
            renote(diag, k, msg);
            continue;
        }
        if (at <= nt.line)
            continue;
        // How far down, not the line's number: the LaTeX package numbers a
        // diagram's lines by the document's, and it renumbers only the
        // message's own line.
        Lineno down = at - nt.line;
        msg += ": it is defined " + std::to_string(down) + (down == 1 ? " line" : " lines") +
               " further down, and only the lines below its definition may use the " + kind +
               "\n";
        renote(diag, k, msg);
    }
}
