#include <gtest/gtest.h>

#include <string>

#include "platform/path_names.h"

namespace pelkora::platform {
namespace {

#ifdef _WIN32
constexpr bool kBackslashSeparates = true;
#else
constexpr bool kBackslashSeparates = false;
#endif

TEST(PathNames, TheLastSeparatorIsTheSystemsOwn)
{
    const struct {
        const char* path;
        std::size_t last;
    } cases[] = {
            {"pics/logo.gif", 4},
            {"logo.gif", std::string::npos},
            {"a/b/c.txt", 3},
            {"dir\\logo.gif", kBackslashSeparates ? 3 : std::string::npos},
            {"a/b\\c.txt", kBackslashSeparates ? 3 : 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lastPathSeparator(c.path), c.last) << c.path;
}

// Names reach the system as the UTF-8 they were given, and come back so.
TEST(PathNames, Utf8GoesThereAndBackUnchanged)
{
    for (const std::string text : {"plain.txt", "caf\xC3\xA9/\xE4\xBD\xA0\xE5\xA5\xBD.txt"})
        EXPECT_EQ(utf8Of(pathFromUtf8(text)), text);
}

}  // namespace
}  // namespace pelkora::platform
