#include "quillard.h"

// Printed by a handler before the driver adds the line number.
void undeflen(std::string_view name)
{
    put(term, "\nUndefined length '$");
    put(term, name);
    put(term, "'");
}
