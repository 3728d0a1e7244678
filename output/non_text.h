#pragma once
// What is neither a picture nor a text shows it in its first bytes: an
// archive, a document or a program by its signature, a picture in a format
// no decoder here reads, a DOB file by its name and length, or binary
// content. Add refuses such a file instead of paging its bytes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pelkora::output {

// How much of a file the decision reads.
inline constexpr std::size_t kNonTextHeadBytes = 8192;

// Why the file whose first bytes are head (length bytes in all, named
// path) is no text, for "not a picture or a text: ..."; empty when it may
// be paged. Only a file that no picture decoder claims is asked about.
std::string whyNotAText(std::string_view head, std::uint64_t length, const std::filesystem::path& path);

}  // namespace pelkora::output
