#pragma once
// What an animation's captures will write, known from its frame records
// before a pixel is drawn: a small file may describe a huge screen and many
// frames, and under full frames each one is written at the whole screen.
// A run that would write more than the bound is refused before it writes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output/output_options.h"
#include "picture/picture_loader.h"
#include "picture/surface.h"

namespace pelkora::picture {

// The most one input may write: as much as a load reads of one file.
inline constexpr std::uint64_t kMaxOutputBytes = std::uint64_t{1} << 30;

// The bytes of every frame's DOB: the whole screen under full frames, else
// the frame's rectangle on the screen; no more than the fit size when one
// is set and the capture is larger.
std::uint64_t plannedDobBytes(const std::vector<FrameRecord>& frames, const SurfaceShape& screen,
                              const output::OutputOptions& options);

// Why the animation must not be written (its frames and the bytes they
// would take), or nothing when it may.
std::optional<std::string> outputCostRefusal(const std::vector<FrameRecord>& frames, const SurfaceShape& screen,
                                             const output::OutputOptions& options);

}  // namespace pelkora::picture
