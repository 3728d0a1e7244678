#include "output/review_places.h"

#include <system_error>

#include "platform/ancestry.h"

namespace pelkora::output {

namespace fs = std::filesystem;

namespace {

std::pair<std::uint64_t, std::uint64_t> keyOf(const platform::FileIdentity& identity)
{
    return {identity.volume, identity.index};
}

}  // namespace

std::optional<platform::FileIdentity> identityOf(const fs::path& path)
{
    platform::FileStatus status;
    std::error_code ignored;
    if (!platform::statusOf(path, platform::Links::Follow, status, ignored))
        return std::nullopt;
    return status.identity;
}

std::optional<std::string> placeRefusal(const fs::path& path, const std::vector<fs::path>& folders)
{
    const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
    for (const fs::path& folder : folders) {
        std::error_code cause;
        switch (platform::ancestryOf(parent, folder, cause)) {
        case platform::Ancestry::Inside:
            return "lies in the package " + folder.string() + ", where no line would name it";
        case platform::Ancestry::Unknown:
            // A folder not made yet holds no package.
            if (cause == std::errc::no_such_file_or_directory)
                break;
            return "cannot tell whether it lies in the package " + folder.string() + ": " + cause.message();
        case platform::Ancestry::Outside:
            break;
        }
    }
    return std::nullopt;
}

RunOutputs::RunOutputs(const std::vector<fs::path>& inputs)
{
    for (const fs::path& input : inputs)
        if (const auto identity = identityOf(input))
            inputs_.emplace(keyOf(*identity), input);
}

std::optional<std::string> RunOutputs::refusal(const fs::path& output) const
{
    const auto identity = identityOf(output);
    if (!identity)
        return std::nullopt;
    if (const auto input = inputs_.find(keyOf(*identity)); input != inputs_.end())
        return "is the input " + input->second.string() + ", never written over";
    if (const auto earlier = outputs_.find(keyOf(*identity)); earlier != outputs_.end())
        return "was written for " + earlier->second.string() + " already in this run";
    return std::nullopt;
}

void RunOutputs::written(const fs::path& output, const fs::path& input)
{
    if (const auto identity = identityOf(output))
        outputs_.emplace(keyOf(*identity), input);
}

}  // namespace pelkora::output
