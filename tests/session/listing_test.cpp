#include <gtest/gtest.h>

#include "session/conversion.h"
#include "support/temp_dir.h"

namespace {

using pelkora::testing::TempDir;

std::vector<std::string> names(const std::vector<std::filesystem::path>& paths)
{
    std::vector<std::string> result;
    for (const auto& path : paths)
        result.push_back(path.filename().string());
    return result;
}

TEST(FolderListing, MatchesExtensionsCaselessAndSortsByUpperCasedName)
{
    TempDir dir;
    for (const char* name : {"b.bmp", "_x.bmp", "A.BMP", "c.Bmp", "d.bmpx", "e.gif", "notes.txt", "bmp"}) {
        dir.write(name, "x");
    }
    std::filesystem::create_directory(dir / "folder.bmp");
    std::filesystem::create_directories(dir / "sub");
    dir.write("sub/inner.bmp", "x");

    // Upper-cased, '_' (0x5F) sorts after the letters; in the raw bytes it
    // would come before 'b'.
    EXPECT_EQ(names(pelkora::session::listMatching(dir.path(), ".bmp")),
              (std::vector<std::string>{"A.BMP", "b.bmp", "c.Bmp", "folder.bmp", "_x.bmp"}));
    EXPECT_EQ(names(pelkora::session::listMatching(dir.path(), ".txt")), (std::vector<std::string>{"notes.txt"}));
}

TEST(FolderListing, MissingFolderListsNothing)
{
    TempDir dir;
    EXPECT_TRUE(pelkora::session::listMatching(dir / "absent", ".bmp").empty());
}

}  // namespace
