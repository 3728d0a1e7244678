#include <gtest/gtest.h>

#include <string>

#include "output/output_folder.h"
#include "output/timing_settings.h"
#include "support/fifo_writer.h"
#include "support/posix_only.h"
#include "support/temp_dir.h"
#include "support/timing_value.h"

namespace pelkora::output {
namespace {

using pelkora::testing::readTimingValue;

using namespace std::string_literals;
using testing::TempDir;

struct SettingsCase {
    const char* name;
    std::string file;
    std::string expected;
};

TEST(TimingSettings, ReadsLikeTheProfileReader)
{
    const std::string head = "[IntervalTime]\n";
    const SettingsCase cases[] = {
            {"plain value", head + "StaticGifPlayTime=2500\n", "2500"},
            {"names without regard to case", "[intervaltime]\nSTATICGIFPLAYTIME=2500\n", "2500"},
            {"spaces around names and values", "  [ IntervalTime ]  \n  StaticGifPlayTime \t=  2500  \n", "2500"},
            {"CR LF line ends", "[IntervalTime]\r\nStaticGifPlayTime=2500\r\n", "2500"},
            {"mark at the start", "\xEF\xBB\xBF[IntervalTime]\nStaticGifPlayTime=2500\n", "2500"},
            {"double quotes", head + "StaticGifPlayTime=\"2500\"", "2500"},
            {"single quotes", head + "StaticGifPlayTime=' 25 '", " 25 "},
            {"quotes that do not match stay", head + "StaticGifPlayTime=\"2500'", "\"2500'"},
            {"empty quotes", head + "StaticGifPlayTime=\"\"", ""},
            {"only one pair is removed", head + "StaticGifPlayTime=\"\"25\"\"", "\"25\""},
            {"eleven digits keep nine", head + "StaticGifPlayTime=12345678901", "123456789"},
            {"no number check", head + "StaticGifPlayTime=fast", "fast"},
            {"empty value is empty", head + "StaticGifPlayTime=", ""},
            {"equals sign in the value", head + "StaticGifPlayTime=a=b", "a=b"},
            {"a cut never splits a character", head + "StaticGifPlayTime=12345678\xC3\xA9", "12345678"},
            {"first key wins", head + "StaticGifPlayTime=1\nStaticGifPlayTime=2\n", "1"},
            {"first section wins", head + "StaticGifPlayTime=1\n[IntervalTime]\nStaticGifPlayTime=2\n", "1"},
            {"section among others", "[Other]\nStaticGifPlayTime=1\n[IntervalTime]\nStaticGifPlayTime=2\n[Z]\n", "2"},
            {"key missing", head + "DynamicGifLastPicPlayTime=9\n", "3000"},
            {"key in another section only", "[Other]\nStaticGifPlayTime=1\n", "3000"},
            {"key after the section ended", head + "[Other]\nStaticGifPlayTime=1\n", "3000"},
            {"section missing", "StaticGifPlayTime=1\n", "3000"},
            {"commented out", head + ";StaticGifPlayTime=1\n", "3000"},
            {"a line without equals sign", head + "StaticGifPlayTime\n", "3000"},
            {"empty file", "", "3000"},
            {"binary rubbish", "\0\xFF[\n=\n]]\0"s, "3000"},
            {"a longer name is another key", head + "StaticGifPlayTimes=1\n", "3000"},
    };
    const TempDir dir;
    const auto settings = timingSettingsPath(dir.path());
    for (const auto& c : cases) {
        dir.write(settings.filename(), c.file);
        EXPECT_EQ(readTimingValue(settings, kStaticPlayTimeKey, kStaticPlayTimeDefault), c.expected) << c.name;
    }
}

TEST(TimingSettings, MissingFileGivesTheDefault)
{
    const TempDir dir;
    EXPECT_EQ(readTimingValue(timingSettingsPath(dir.path()), kLastFramePlayTimeKey, kLastFramePlayTimeDefault),
              "1500");
    EXPECT_EQ(readTimingValue(dir.path(), kStaticPlayTimeKey, kStaticPlayTimeDefault), "3000");  // a folder
}

TEST(TimingSettings, APipeInTheFilesPlaceGivesTheDefaultWithoutWaiting)
{
    PELKORA_SKIP_WITHOUT_POSIX("named pipes");
    const TempDir dir;
    const auto settings = timingSettingsPath(dir.path());
    const testing::FifoWriter pipe(settings, "[IntervalTime]\nStaticGifPlayTime=2500\n");
    EXPECT_EQ(readTimingValue(settings, kStaticPlayTimeKey, kStaticPlayTimeDefault), "3000");
    EXPECT_FALSE(pipe.wasOpened());
}

TEST(TimingSettings, IsReadAfreshEveryTime)
{
    const TempDir dir;
    const auto settings = timingSettingsPath(dir.path());
    dir.write(settings.filename(), "[IntervalTime]\nDynamicGifLastPicPlayTime=700\n");
    EXPECT_EQ(readTimingValue(settings, kLastFramePlayTimeKey, kLastFramePlayTimeDefault), "700");
    dir.write(settings.filename(), "[IntervalTime]\nDynamicGifLastPicPlayTime=800\n");
    EXPECT_EQ(readTimingValue(settings, kLastFramePlayTimeKey, kLastFramePlayTimeDefault), "800");
}

TEST(TimingSettings, VeryLongLineDoesNotHideLaterKeys)
{
    const TempDir dir;
    const auto settings = timingSettingsPath(dir.path());
    dir.write(settings.filename(), "[IntervalTime]\nX=" + std::string(300000, 'x') + "\nStaticGifPlayTime=2500\n");
    EXPECT_EQ(readTimingValue(settings, kStaticPlayTimeKey, kStaticPlayTimeDefault), "2500");
}

}  // namespace
}  // namespace pelkora::output
