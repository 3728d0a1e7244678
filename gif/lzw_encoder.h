#pragma once
// The LZW coder of GIF image data: colour indices in, the code stream out,
// packed least significant bit first and ending with the end code (not yet
// cut into sub-blocks). Its code widths follow the decoder's rule: a code
// grows a bit once the table the decoder will hold reaches the next power of
// two, and the table starts afresh with a clear code one entry before it
// would fill, as readers of every age expect.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelkora::gif {

// minCodeSize: 2 to 8; every index must lie below 2^minCodeSize.
std::vector<std::uint8_t> lzwEncode(const std::uint8_t* indices, std::size_t count, int minCodeSize);

}  // namespace pelkora::gif
