#include "platform/random.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>

namespace pelkora::platform {

bool fillRandom(unsigned char* bytes, std::size_t size)
{
    while (size > 0) {
        const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 20));
        if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, bytes, piece, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            return false;
        bytes += piece;
        size -= piece;
    }
    return true;
}

}  // namespace pelkora::platform
