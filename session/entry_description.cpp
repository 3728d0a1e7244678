#include "session/entry_description.h"

#include <vector>

#include "output/dob_reader.h"
#include "output/input_file.h"
#include "output/package_check.h"

namespace pelkora::session {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMaxPageBytes = 4096;

std::string sizesText(const std::vector<output::Size>& sizes)
{
    std::string text;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        text += (i == 0 ? "" : " or ") + sizeText(sizes[i]);
    return text;
}

EntryDescription describePicture(const fs::path& path, const output::EntryRole& role)
{
    const output::DobShape shape = output::inspectDobFile(path);
    if (!shape.outcome.ok())
        return {{}, std::string("damaged: ") + statusText(shape.outcome.status)};
    if (role.kind == output::EntryKind::Still)
        return {"picture " + sizesText(shape.candidates), {}};
    return {"frame " + std::to_string(role.frame) + " of " + std::to_string(role.frames) + " "
                    + sizesText(shape.candidates),
            {}};
}

EntryDescription describePage(const fs::path& path)
{
    const output::InputBytes page = output::readInputFile(path, kMaxPageBytes);
    const output::Finding finding =
            !page.outcome.ok() ? output::Finding{page.outcome, {}, 0}
            : page.truncated   ? output::Finding{Status::PageTooLong, {}, 0}
                               : output::checkPage(std::string_view(reinterpret_cast<const char*>(page.bytes.data()),
                                                                    page.bytes.size()));
    if (!finding.outcome.ok())
        return {"text page", std::string("damaged: ") + statusText(finding.outcome.status)};
    return {"text page", {}};
}

}  // namespace

EntryDescription describeEntry(const fs::path& folder, const output::PlaylistEntry& entry,
                               const output::EntryRole& role)
{
    const fs::path path = folder / entry.name;
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return {{}, "missing"};
    switch (role.kind) {
    case output::EntryKind::Still:
    case output::EntryKind::Frame:
    case output::EntryKind::LastFrame:
        return describePicture(path, role);
    case output::EntryKind::TextPage:
        return describePage(path);
    default:
        return {"other", {}};
    }
}

}  // namespace pelkora::session
