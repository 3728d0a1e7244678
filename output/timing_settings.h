#pragma once
// The timing settings "advTimeSetting.ini": how long a still picture and an
// animation's last frame stay on the device's screen.

#include <filesystem>
#include <string>
#include <string_view>

namespace pelkora::output {

inline constexpr std::string_view kTimingSection = "IntervalTime";
inline constexpr std::string_view kStaticPlayTimeKey = "StaticGifPlayTime";
inline constexpr std::string_view kStaticPlayTimeDefault = "3000";
inline constexpr std::string_view kLastFramePlayTimeKey = "DynamicGifLastPicPlayTime";
inline constexpr std::string_view kLastFramePlayTimeDefault = "1500";

// The value of key in section "IntervalTime", read afresh, at most 9
// characters; the default when the file, section or key is missing.
// warning is set when the file holds a value that is not a plain decimal
// number of 1 to 9 digits (it is still copied as it stands), and names the
// file, the key and the value.
struct TimingSetting {
    std::string value;
    std::string warning;  // empty: none
};
TimingSetting readTimingSetting(const std::filesystem::path& settings, std::string_view key,
                                std::string_view defaultValue);

}  // namespace pelkora::output
