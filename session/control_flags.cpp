#include "session/control_flags.h"

#include "output/control_values.h"

namespace pelkora::session {

namespace {

using output::OutputOptions;

// The value after a flag, or nothing when the command line ends.
const std::string* valueAfter(const std::vector<std::string>& args, std::size_t& i)
{
    if (i + 1 >= args.size())
        return nullptr;
    return &args[++i];
}

std::string takeFactor(const std::string& flag, const std::string* value, int& into)
{
    const std::optional<int> factor = value ? output::parseFactor(*value) : std::nullopt;
    if (!factor) {
        return flag + " takes a number from 0.1 to 10 with at most two decimals (1 leaves the picture as it is)"
               + (value ? ", not '" + *value + "'" : "");
    }
    into = *factor;
    return {};
}

// Bare --dither is Floyd-Steinberg, as it always was; a kind may follow.
void takeDither(const std::vector<std::string>& args, std::size_t& i, OutputOptions& options)
{
    options.dither = true;
    options.ditherKind = output::DitherKind::FloydSteinberg;
    if (i + 1 >= args.size())
        return;
    if (args[i + 1] == "none") {
        options.dither = false;
        ++i;
    } else if (const auto kind = output::parseDitherKind(args[i + 1])) {
        options.ditherKind = *kind;
        ++i;
    }
}

}  // namespace

std::optional<std::string> takePictureControl(const std::vector<std::string>& args, std::size_t& i,
                                              OutputOptions& options)
{
    const std::string& flag = args[i];
    if (flag == "--dither") {
        takeDither(args, i, options);
    } else if (flag == "--invert") {
        options.invert = true;
    } else if (flag == "--fill") {
        options.fill = true;
    } else if (flag == "--grey" || flag == "--gray") {
        const std::string* value = valueAfter(args, i);
        const auto weights = value ? output::parseGreyWeights(*value) : std::nullopt;
        if (!weights)
            return flag + " takes 'luma' (BT.601 weights) or 'device' (the three channels alike)";
        options.grey = *weights;
    } else if (flag == "--levels") {
        const std::string* value = valueAfter(args, i);
        if (!value || *value != "auto")
            return "--levels takes 'auto'";
        options.levelsAuto = true;
    } else if (flag == "--gamma") {
        return takeFactor(flag, valueAfter(args, i), options.gamma);
    } else if (flag == "--contrast") {
        return takeFactor(flag, valueAfter(args, i), options.contrast);
    } else if (flag == "--background") {
        const std::string* value = valueAfter(args, i);
        const auto colour = value ? output::parseColour(*value) : std::nullopt;
        if (!colour) {
            return "--background takes #RRGGBB or black, white, grey, silver, red, green, blue, yellow"
                   + (value ? std::string(", not '") + *value + "'" : std::string());
        }
        options.background = *colour;
    } else {
        return std::nullopt;
    }
    return std::string();
}

const char* pictureControlsUsage()
{
    return "picture controls, with --batch and --add, applied in this order after --fit:\n"
           "         --fill         (with --fit) cover WxH and crop the centre instead of letterboxing\n"
           "         --grey luma    grey by the eye's weights (BT.601) instead of the three channels alike\n"
           "         --levels auto  stretch the picture's darkest and lightest to black and white,\n"
           "                        leaving out the darkest and lightest 0.5 % of its pixels\n"
           "         --gamma G      0.1 to 10; above 1 lightens the middle greys\n"
           "         --contrast C   0.1 to 10; a factor about mid grey, above 1 more contrast\n"
           "         --invert       white becomes black and each grey its opposite level\n"
           "         --dither KIND  fs (the bare --dither), atkinson, ordered or none\n"
           "         --background COLOUR\n"
           "                        letterbox bars and transparent pixels: #RRGGBB, black, white, grey, ...\n";
}

}  // namespace pelkora::session
