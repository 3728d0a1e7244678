#pragma once
// A fresh, private folder for one test, removed with everything in it when
// the test ends. Each one gets its own random name under the system's
// temporary folder, so tests running side by side never share files.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

namespace pelkora::testing {

class TempDir {
public:
    TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

    // A folder of its own in base.
    explicit TempDir(const std::filesystem::path& base)
    {
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (int attempt = 0; attempt < 100; ++attempt) {
            auto candidate = base / ("pelkora-test-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                path_ = std::move(candidate);
                return;
            }
        }
        throw std::runtime_error("cannot create a temporary folder");
    }

    ~TempDir()
    {
        std::error_code ignored;
        // Links are removed as links: remove_all never follows them.
        std::filesystem::remove_all(path_, ignored);
    }

    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

    // Writes bytes to a file below the folder (creating its parent folders)
    // and returns its full path.
    std::filesystem::path write(const std::filesystem::path& name, std::string_view bytes) const
    {
        const auto target = path_ / name;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + target.string());
        return target;
    }

    // The whole content of a file, or an empty string when it cannot be read.
    static std::string read(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path path_;
};

}  // namespace pelkora::testing
