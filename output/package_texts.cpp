#include "output/package_texts.h"

#include <cstdio>
#include <string_view>

#include "output/ascii.h"

namespace pelkora::output {

std::string secondsText(std::uint64_t milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(milliseconds / 1000),
                  static_cast<unsigned long long>(milliseconds % 1000));
    return text;
}

bool isDobName(const std::filesystem::path& path)
{
    const std::string name = path.filename().string();
    return name.size() > 4 && equalsIgnoringAsciiCase(std::string_view(name).substr(name.size() - 4), ".dob");
}

}  // namespace pelkora::output
