#pragma once
// The value alone of a timing setting, for tests that do not look at the
// warning.

#include <filesystem>
#include <string>
#include <string_view>

#include "output/timing_settings.h"

namespace pelkora::testing {

inline std::string readTimingValue(const std::filesystem::path& settings, std::string_view key,
                                   std::string_view defaultValue)
{
    return output::readTimingSetting(settings, key, defaultValue).value;
}

}  // namespace pelkora::testing
