#include "platform/random.h"

#include <sys/random.h>

#include <cerrno>

namespace pelkora::platform {

bool fillRandom(unsigned char* bytes, std::size_t size)
{
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::getrandom(bytes + filled, size - filled, 0);
        if (got > 0)
            filled += static_cast<std::size_t>(got);
        else if (got < 0 && errno != EINTR)
            return false;
    }
    return true;
}

}  // namespace pelkora::platform
