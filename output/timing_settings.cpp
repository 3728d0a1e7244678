// The timing settings file, read the way the Windows profile reader reads
// an INI file, since the same file is edited for tools on that desktop:
// names compared without regard to case, spaces around names and values
// dropped, one pair of surrounding quotes taken off, at most nine characters
// of a value, the default for anything missing.

#include <cstdio>
#include <optional>
#include <system_error>

#include "output/ascii.h"
#include "output/names.h"
#include "output/timing_settings.h"
#include "platform/files.h"

namespace pelkora::output {

namespace {

constexpr std::size_t kValueLength = 9;
// Longer lines keep their start only: settings lines are short, and a
// corrupt file must not make the reader hold more than this.
constexpr std::size_t kLineLimit = 64 * 1024;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The first nine bytes, moved back to the start of a UTF-8 character that
// the cut would split, so that no broken character reaches the playlist.
std::string_view firstCharacters(std::string_view value)
{
    if (value.size() <= kValueLength)
        return value;
    std::size_t end = kValueLength;
    std::size_t start = end;
    while (start > 0 && (static_cast<unsigned char>(value[start]) & 0xC0) == 0x80 && end - start < 3)
        --start;
    const auto lead = static_cast<unsigned char>(value[start]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (start < end && lead >= 0xC0 && start + length > end)
        end = start;
    return value.substr(0, end);
}

// Reads one line without its "\n"; false at the end of the file.
bool readLine(std::FILE* file, std::string& line)
{
    line.clear();
    int c = std::fgetc(file);
    if (c == EOF)
        return false;
    for (; c != EOF && c != '\n'; c = std::fgetc(file))
        if (line.size() < kLineLimit)
            line.push_back(static_cast<char>(c));
    return true;
}

class SettingsReader {
public:
    SettingsReader(std::string_view section, std::string_view key) : section_(section), key_(key) {}

    // Feeds one line; the value once the key has been found.
    std::optional<std::string> line(std::string_view text)
    {
        if (first_) {
            first_ = false;
            if (text.starts_with("\xEF\xBB\xBF"))
                text.remove_prefix(3);
        }
        text = trim(text);
        if (text.empty() || text.front() == ';')
            return std::nullopt;
        if (text.front() == '[') {
            const auto close = text.find(']');
            const auto name = trim(text.substr(1, close == std::string_view::npos ? text.npos : close - 1));
            // Only the first section of that name counts.
            if (inSection_)
                done_ = true;
            inSection_ = !done_ && equalsIgnoringAsciiCase(name, section_);
            return std::nullopt;
        }
        if (!inSection_)
            return std::nullopt;
        const auto equals = text.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        if (!equalsIgnoringAsciiCase(trim(text.substr(0, equals)), key_))
            return std::nullopt;
        return std::string(unquote(trim(text.substr(equals + 1))));
    }

    bool done() const { return done_; }

private:
    std::string_view section_;
    std::string_view key_;
    bool first_ = true;
    bool inSection_ = false;
    bool done_ = false;
};

bool isPlainNumber(std::string_view value)
{
    if (value.empty() || value.size() > kValueLength)
        return false;
    for (const char c : value)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The value as the file holds it (before the cut to nine characters), or
// nothing when the file, section or key is missing.
std::optional<std::string> readRawValue(const std::filesystem::path& settings, std::string_view key)
{
    // A pipe or a device in the file's place would stall or never end the
    // read; like a missing file, it gives the default.
    std::error_code error;
    if (!std::filesystem::is_regular_file(settings, error))
        return std::nullopt;
    std::FILE* file = platform::openReadStream(settings);
    if (file == nullptr)
        return std::nullopt;
    SettingsReader reader(kTimingSection, key);
    std::optional<std::string> value;
    std::string line;
    while (!value && !reader.done() && readLine(file, line))
        value = reader.line(line);
    std::fclose(file);
    return value;
}

}  // namespace

TimingSetting readTimingSetting(const std::filesystem::path& settings, std::string_view key,
                                std::string_view defaultValue)
{
    const std::optional<std::string> raw = readRawValue(settings, key);
    if (!raw)
        return {std::string(defaultValue), {}};
    TimingSetting setting{std::string(firstCharacters(*raw)), {}};
    if (!isPlainNumber(*raw)) {
        setting.warning = escapedForTerminal(settings.string()) + ": [" + std::string(kTimingSection) + "] "
                          + std::string(key) + " = \"" + escapedForTerminal(*raw)
                          + "\" is not a plain number of 1 to 9 digits; copied as \""
                          + escapedForTerminal(setting.value) + "\"";
    }
    return setting;
}

}  // namespace pelkora::output
