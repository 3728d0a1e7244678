#include "output/output_options.h"

#include <vector>

#include "output/control_values.h"

namespace pelkora::output {

std::string describeOptions(const OutputOptions& options)
{
    std::vector<std::string> parts;
    if (options.fullFrames)
        parts.emplace_back("full frames");
    if (options.dither)
        parts.emplace_back(options.ditherKind == DitherKind::FloydSteinberg
                                   ? "dither"
                                   : "dither " + ditherKindText(options.ditherKind));
    if (options.fit)
        parts.push_back((options.fill ? "fill " : "fit ") + sizeText(*options.fit));
    if (options.screen)
        parts.push_back("screen " + sizeText(*options.screen) + (options.center ? " centred" : ""));
    if (options.grey != GreyWeights::Device)
        parts.push_back("grey " + greyWeightsText(options.grey));
    if (options.levelsAuto)
        parts.emplace_back("levels auto");
    if (options.gamma != kUnchanged)
        parts.push_back("gamma " + factorText(options.gamma));
    if (options.contrast != kUnchanged)
        parts.push_back("contrast " + factorText(options.contrast));
    if (options.invert)
        parts.emplace_back("invert");
    if (options.background)
        parts.push_back("background " + colourText(*options.background));
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

}  // namespace pelkora::output
