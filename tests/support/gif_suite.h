#pragma once
// The GIF conformance suite the project keeps under tests/data.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pelkora::testing {

inline const std::filesystem::path kGifSuite = std::filesystem::path(PELKORA_TESTDATA_DIR) / "gif-test-suite";

// The case names its TESTS file lists, in order; none when it is missing.
inline std::vector<std::string> gifSuiteCases()
{
    std::vector<std::string> names;
    std::ifstream list(kGifSuite / "TESTS");
    for (std::string line; std::getline(list, line);)
        if (!line.empty())
            names.push_back(line);
    return names;
}

}  // namespace pelkora::testing
