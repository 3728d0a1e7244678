#include "session/settings_text.h"

#include <gtest/gtest.h>

namespace {

using pelkora::output::Size;
using pelkora::session::DialogSettings;
using pelkora::session::dialogSettingsFromIni;
using pelkora::session::iniOfDialogSettings;

DialogSettings settings(bool fullFrames, bool dither, std::optional<Size> fit, bool deviceView, Size fitSize)
{
    DialogSettings s;
    s.output.fullFrames = fullFrames;
    s.output.dither = dither;
    s.output.fit = fit;
    s.deviceView = deviceView;
    s.fitSize = fitSize;
    return s;
}

DialogSettings controlSettings()
{
    DialogSettings s;
    s.output.grey = pelkora::output::GreyWeights::Luma;
    s.output.levelsAuto = s.output.invert = s.output.fill = true;
    s.output.gamma = 180;
    s.output.contrast = 125;
    s.output.ditherKind = pelkora::output::DitherKind::Ordered;
    s.output.background = 0x00FF00;
    return s;
}

DialogSettings screenSettings(std::optional<Size> screen, bool center)
{
    DialogSettings s;
    s.output.screen = screen;
    s.output.center = center;
    return s;
}

DialogSettings packageSettings()
{
    DialogSettings s;
    s.replaceEarlier = true;
    s.wrapWords = true;
    s.keepPrevious = false;
    return s;
}

TEST(SettingsTextTest, IniFilesReadAsTheQtDialogWroteThem)
{
    const Size defaultFit{128, 64};
    const struct {
        const char* name;
        const char* text;
        DialogSettings expected;
    } cases[] = {
            {"empty file", "", DialogSettings{}},
            {"every key, CRLF lines",
             "[General]\r\nDeviceView=true\r\nDither=true\r\nFit=true\r\nFitSize=96x48\r\nFullFrames=true\r\n",
             settings(true, true, Size{96, 48}, true, Size{96, 48})},
            {"fit named before its size", "Fit=true\nFitSize=200x100\n",
             settings(false, false, Size{200, 100}, false, Size{200, 100})},
            {"size kept while fit is off", "Fit=false\nFitSize=32x32\n",
             settings(false, false, std::nullopt, false, Size{32, 32})},
            {"unreadable values are defaults", "Dither=maybe\nFitSize=0x9\nFit=true\n",
             settings(false, false, defaultFit, false, defaultFit)},
            {"the package's items, keeping turned off by hand", "ReplaceEarlier=true\nWrapWords=1\nKeepPrevious=false\n",
             packageSettings()},
            {"the picture controls",
             "Grey=luma\nLevelsAuto=true\nInvert=1\nFill=true\nGamma=1.8\nContrast=1.25\nDitherKind=ordered\n"
             "Background=#00ff00\n",
             controlSettings()},
            {"unreadable controls are left alone", "Grey=red\nGamma=0\nContrast=x\nDitherKind=\nBackground=#12\n",
             DialogSettings{}},
            {"a screen, centred", "Screen=128x64\nCenter=true\n", screenSettings(Size{128, 64}, true)},
            {"no centring without a screen", "Screen=300x64\nCenter=true\n", screenSettings(std::nullopt, false)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dialogSettingsFromIni(c.text), c.expected);
        EXPECT_EQ(dialogSettingsFromIni(iniOfDialogSettings(c.expected)), c.expected);
    }
}

}  // namespace
