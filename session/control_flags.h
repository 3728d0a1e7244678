#pragma once
// The picture controls on the command line: --grey, --levels, --gamma,
// --contrast, --invert, --dither [KIND], --background, --fill.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "output/output_options.h"

namespace pelkora::session {

// Takes the control at args[i] (and its value, moving i past it) into
// options. Nothing when args[i] is no control; an empty text when it was
// taken; else what is wrong with it, for a usage error.
std::optional<std::string> takePictureControl(const std::vector<std::string>& args, std::size_t& i,
                                              output::OutputOptions& options);

// The controls' lines of the usage text.
const char* pictureControlsUsage();

}  // namespace pelkora::session
