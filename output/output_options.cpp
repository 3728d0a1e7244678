#include "output/output_options.h"

#include <vector>

namespace pelkora::output {

std::string describeOptions(const OutputOptions& options)
{
    std::vector<std::string> parts;
    if (options.fullFrames)
        parts.emplace_back("full frames");
    if (options.dither)
        parts.emplace_back("dither");
    if (options.fit)
        parts.push_back("fit " + sizeText(*options.fit));
    if (options.screen)
        parts.push_back("screen " + sizeText(*options.screen) + (options.center ? " centred" : ""));
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

}  // namespace pelkora::output
