#pragma once
// What a picture of 32-bit pixels costs, and whether a surface that large
// may be made: one reckoning for the decoders, the surface and the capture.

#include <cstdint>

#include "core/status.h"

namespace pelkora::picture {

// In 64 bits, so that no header's numbers can overflow it. Sides must not
// be negative.
inline std::uint64_t rgb32Bytes(std::int64_t width, std::int64_t height)
{
    return std::uint64_t{4} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
}

// EmptySurface for a side of 0 or less, SurfaceTooLarge above the limit.
inline Status checkSurfaceSize(std::int64_t width, std::int64_t height, std::uint64_t limitBytes)
{
    if (width <= 0 || height <= 0)
        return Status::EmptySurface;
    return rgb32Bytes(width, height) > limitBytes ? Status::SurfaceTooLarge : Status::Ok;
}

}  // namespace pelkora::picture
