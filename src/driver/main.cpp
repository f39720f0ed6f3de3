#include "quillard.h"

#include <cerrno>
#include <cstdlib>
#include <new>

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    // Standard streams that the caller closed are opened on /dev/null, so
    // that no file the program opens takes their place and receives
    // terminal text.
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            int nul = open("/dev/null", O_RDWR);
            if (nul != fd && nul >= 0)
                close(nul);
        }
    }
    try {
        return quillard(argc, argv);
    } catch (const std::bad_alloc&) {
        // Out of memory: end the run at once, with no message.
        std::_Exit(1);
    }
}
