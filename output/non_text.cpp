#include "output/non_text.h"

#include "output/ascii.h"
#include "output/dob_reader.h"

namespace pelkora::output {

namespace {

struct Signature {
    std::string_view bytes;  // at the start
    std::string_view atEight;  // also at offset 8; empty for none
    const char* kind;
};

using namespace std::string_view_literals;

// Signatures long or distinctive enough that no text begins with them.
constexpr Signature kSignatures[] = {
        {"PK\x03\x04"sv, {}, "a ZIP archive"},
        {"PK\x05\x06"sv, {}, "a ZIP archive"},
        {"%PDF-"sv, {}, "a PDF document"},
        {"\x7F" "ELF"sv, {}, "an ELF program"},
        {"\x1F\x8B\x08"sv, {}, "a gzip archive"},
        {"7z\xBC\xAF\x27\x1C"sv, {}, "a 7z archive"},
        {"Rar!\x1A\x07"sv, {}, "a RAR archive"},
};

bool startsWith(std::string_view head, const Signature& signature)
{
    if (head.substr(0, signature.bytes.size()) != signature.bytes)
        return false;
    return signature.atEight.empty()
           || (head.size() >= 8 && head.substr(8, signature.atEight.size()) == signature.atEight);
}

bool isDobByName(const std::filesystem::path& path, std::string_view head, std::uint64_t length)
{
    const std::string extension = path.extension().string();
    return equalsIgnoringAsciiCase(extension, ".dob") && head.size() >= 2
           && !dobSizeCandidates(static_cast<std::uint8_t>(head[0]), static_cast<std::uint8_t>(head[1]), length)
                       .empty();
}

bool hasUtf16Mark(std::string_view head)
{
    return head.substr(0, 2) == "\xFF\xFE"sv || head.substr(0, 2) == "\xFE\xFF"sv;
}

// One zero byte ends a text where it stands (the pager warns and keeps
// what comes before); a second is no terminator but binary content.
std::string zeroBytes(std::string_view head)
{
    const std::size_t first = head.find('\0');
    if (first == std::string_view::npos)
        return {};
    const std::size_t second = head.find('\0', first + 1);
    if (second == std::string_view::npos)
        return {};
    return "binary content (zero bytes at offsets " + std::to_string(first) + " and " + std::to_string(second) + ")";
}

}  // namespace

std::string whyNotAText(std::string_view head, std::uint64_t length, const std::filesystem::path& path)
{
    for (const Signature& signature : kSignatures) {
        if (startsWith(head, signature))
            return signature.kind;
    }
    if (isDobByName(path, head, length))
        return "a DOB file (--render turns it into a PNG)";
    if (hasUtf16Mark(head))
        return {};
    return zeroBytes(head);
}

}  // namespace pelkora::output
