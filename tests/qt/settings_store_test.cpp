// The dialog's settings file as the user may leave it.

#include <gtest/gtest.h>
#include <QSettings>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "qt/settings_store.h"
#include "session/settings_text.h"
#include "support/temp_dir.h"

namespace pelkora::dialog {
namespace {

namespace fs = std::filesystem;

// A pipe at the settings file's name is neither waited on nor replaced: the
// dialog starts with its defaults.
TEST(SettingsStore, APipeAtTheSettingsNameIsIgnored)
{
    const testing::TempDir config;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string old = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    fs::create_directory(config / "Pelkora");
    ASSERT_EQ(::mkfifo((config / "Pelkora/pelkora.ini").c_str(), 0600), 0);

    session::DialogSettings wanted;
    wanted.output.dither = true;
    saveDialogSettings(wanted);
    const session::DialogSettings loaded = loadDialogSettings();

    if (saved)
        ::setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(loaded.output.dither);
    EXPECT_TRUE(fs::is_fifo(config / "Pelkora/pelkora.ini"));
}

// The picture controls come back as saved, and the file Qt writes reads the
// same through the Windows dialog's reader.
TEST(SettingsStore, PictureControlsComeBackAsSaved)
{
    const testing::TempDir config;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string old = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);

    session::DialogSettings wanted;
    wanted.output.grey = output::GreyWeights::Luma;
    wanted.output.levelsAuto = wanted.output.invert = wanted.output.fill = true;
    wanted.output.gamma = 45;
    wanted.output.contrast = 1000;
    wanted.output.ditherKind = output::DitherKind::Atkinson;
    wanted.output.background = 0x0A0B0C;
    saveDialogSettings(wanted);
    const session::DialogSettings loaded = loadDialogSettings();
    // Where the toolkit put it: it keeps the folder it first found.
    const QString file = QSettings(QSettings::IniFormat, QSettings::UserScope, "Pelkora", "pelkora").fileName();
    const std::string text = testing::TempDir::read(file.toStdString());

    if (saved)
        ::setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(loaded.output, wanted.output);
    EXPECT_EQ(session::dialogSettingsFromIni(text).output, wanted.output) << text;
}

}  // namespace
}  // namespace pelkora::dialog
