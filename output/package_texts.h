#pragma once
// How a package's files and times are named to a person, the same in every
// command that shows them.

#include <cstdint>
#include <filesystem>
#include <string>

namespace pelkora::output {

// Milliseconds as seconds with three decimals, exact: "40.250".
std::string secondsText(std::uint64_t milliseconds);

// True for a name ending in ".dob", in any letter case.
bool isDobName(const std::filesystem::path& path);

}  // namespace pelkora::output
