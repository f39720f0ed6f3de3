#include "quillard.h"

// Printed by a handler before the driver adds the line number.
void undeflab(std::string_view name)
{
    put(term, "\nUndefined label '");
    put(term, name);
    put(term, "'");
}
