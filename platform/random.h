#pragma once
// Unpredictable bytes straight from the system.

#include <cstddef>

namespace pelkora::platform {

// False when the system had none to give; the bytes are then unchanged.
bool fillRandom(unsigned char* bytes, std::size_t size);

}  // namespace pelkora::platform
