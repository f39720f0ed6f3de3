#include "quillard.h"

#include <cstdlib>
#include <new>

int main(int argc, char** argv)
{
    try {
        return quillard(argc, argv);
    } catch (const std::bad_alloc&) {
        // Out of memory: end the run at once, with no message.
        std::_Exit(1);
    }
}
