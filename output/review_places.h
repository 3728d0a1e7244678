#pragma once
// Where the review commands may write: never over a file they read, never
// twice to one name in a run, never into a package.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace pelkora::output {

// Which file stands at path (a link followed); nothing when none does.
std::optional<platform::FileIdentity> identityOf(const std::filesystem::path& path);

// Why a file at path must not be written, or nothing when it may: it lies
// in (or cannot be told to lie outside) one of the folders, which are
// packages the run reads or writes.
std::optional<std::string> placeRefusal(const std::filesystem::path& path,
                                        const std::vector<std::filesystem::path>& folders);

// The outputs of one run, by the files they became, and the inputs it reads:
// a name already written, or one that is an input, is refused with the
// input it belongs to.
class RunOutputs {
public:
    explicit RunOutputs(const std::vector<std::filesystem::path>& inputs);

    // Why output must not be written for input, or nothing when it may.
    std::optional<std::string> refusal(const std::filesystem::path& output) const;
    void written(const std::filesystem::path& output, const std::filesystem::path& input);

private:
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::filesystem::path> inputs_;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::filesystem::path> outputs_;
};

}  // namespace pelkora::output
