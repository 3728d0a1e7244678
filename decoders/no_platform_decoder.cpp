// Where the build has no platform reader yet (Windows, until the system's
// imaging component is wired in): BMP and GIF still decode through our own
// code, every other format is declined with that reason, never guessed at.

#include "decoders/platform_decoder.h"

namespace pelkora::decoders {

DecodedStill DecodeOnPlatform(const std::uint8_t*, std::size_t, StillFormat, const StillRequest&)
{
    DecodedStill result;
    result.reason = "no decoder for this format in this build";
    return result;
}

}  // namespace pelkora::decoders
