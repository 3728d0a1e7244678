// What the dialog says after each command, files dropped onto it, the
// output options and device view of its right-click menu (remembered in a
// settings folder of the tests' own) and the About box's options line.

#include <fstream>
#include <string>
#include <vector>

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>

#include <gtest/gtest.h>

#include "qt/device_image.h"
#include "session/dialog_settings.h"
#include "qt/main_dialog.h"
#include "qt/picture_view.h"
#include "session/status_strip.h"
#include "support/picture_fixtures.h"
#include "support/temp_dir.h"
#include "tests/qt/dialog_support.h"

namespace pelkora::dialog {

using namespace session;
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

class DialogStatus : public ::testing::Test {
protected:
    DialogStatus()
    {
        saveDialogSettings({});
        fs::create_directories(work / "adv");
        dialog = std::make_unique<MainDialog>(work.path());
        dialog->session().picture().setRealtime(false);
        dialog->setMessageFunction([this](QWidget*, const QString& text) { messages.push_back(text.toStdString()); });
    }
    ~DialogStatus() override { saveDialogSettings({}); }

    void add(const std::vector<fs::path>& files)
    {
        dialog->setFileChooser([files](QWidget*) { return files; });
        dialog->addFile();
        dialog->session().picture().finishPass();
    }
    // The strip as shown, once what the command posted has arrived.
    std::string strip()
    {
        QApplication::processEvents();
        const std::string shown = dialog->findChild<QLabel*>("statusStrip")->text().toStdString();
        EXPECT_EQ(shown, dialog->statusLine().toStdString());
        return shown;
    }
    fs::path gif(const std::string& name, int frames)
    {
        std::vector<testing::GifPictureFrame> list;
        for (int i = 0; i < frames; ++i)
            list.push_back(testing::solidFrame(0, 0, 2, 2, i % 2 ? 0 : 1));
        const testing::Bytes bytes = testing::makeGif(2, 2, {0x000000, 0xFFFFFF}, list);
        return sources.write(name, std::string(bytes.begin(), bytes.end()));
    }

    TempDir work;
    TempDir sources;
    std::unique_ptr<MainDialog> dialog;
    std::vector<std::string> messages;
};

TEST_F(DialogStatus, EveryCommandSaysWhatItWroteOrWhyNot)
{
    const fs::path logo = testing::writeBmp(sources, "logo.bmp", 4, 3);
    const fs::path anim = gif("anim.gif", 6);
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "Line number " + std::to_string(i) + " of a longer text.\n";
    const fs::path notes = sources.write("notes.txt", text);
    const fs::path broken = sources.write("broken.gif", std::string("GIF89a\x02\x00\x02\x00\x00\x00\x00", 13) + "zz");
    struct Case {
        fs::path file;
        std::string expected;  // empty: worked out below
    };
    const std::vector<Case> cases = {
            {logo, "logo.dob written"},
            {anim, "anim: 6 frames written"},
            {notes, ""},
            {sources / "gone.txt", "gone.txt: Cant find file!"},
            {broken, "broken.gif: a GIF without any frame that decodes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        const std::set<std::string> before = testing::fileNames(work / "adv");
        add({c.file});
        std::string expected = c.expected;
        if (expected.empty()) {
            const std::size_t pages = testing::fileNames(work / "adv").size() - before.size();
            ASSERT_GT(pages, 1u);
            expected = std::to_string(pages) + " text pages written";
        }
        EXPECT_EQ(strip(), expected);
    }

    const std::size_t inFolder = testing::fileNames(work / "adv").size();
    dialog->findChild<QPushButton*>("deleteAllButton")->click();
    EXPECT_EQ(strip(), "DeleteAll: " + std::to_string(inFolder) + " files deleted");
}

TEST_F(DialogStatus, DeleteAllCountsTheFilesAtEveryDepth)
{
    struct Case {
        std::vector<std::string> files;
        const char* expected;
    };
    const std::vector<Case> cases = {
            {{"adv/a.dob", "adv/b.dob", "adv/sub/c.txt"}, "DeleteAll: 3 files deleted"},
            {{"adv/only.dob"}, "DeleteAll: 1 file deleted"},
            {{}, "DeleteAll: 0 files deleted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        for (const std::string& file : c.files)
            work.write(file, "x");
        dialog->deleteAll();
        EXPECT_EQ(strip(), c.expected);
    }
}

TEST_F(DialogStatus, ABatchFileThatFailsShowsItsExitStatus)
{
    struct Case {
        const char* script;
        const char* expected;
    };
    const std::vector<Case> cases = {
            {"exit 3\n", "adv.bat exited with status 3"},
            {"exit 0\n", "adv.bat finished"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        work.write("adv.bat", c.script);
        dialog->runBatchFile();
        EXPECT_TRUE(testing::waitUntil([&] { return dialog->statusLine() == c.expected; }))
                << dialog->statusLine().toStdString();
        EXPECT_EQ(strip(), c.expected);
    }
    fs::remove(work / "adv.bat");
    dialog->runBatchFile();
    EXPECT_EQ(strip(), "adv.bat: could not start");
    EXPECT_EQ(messages, std::vector<std::string>{kStartFailedText});
}

TEST_F(DialogStatus, SeveralFilesAreAddedInTheOrderChosenAndAFailureIsNamed)
{
    const fs::path b = testing::writeBmp(sources, "b.bmp", 1, 1);
    const fs::path a = testing::writeBmp(sources, "a.bmp", 1, 1);
    add({b, sources / "missing.txt", a});
    EXPECT_EQ(testing::playlistOf(work.path()), "b.dob,3000\n\na.dob,3000\n\n");
    EXPECT_EQ(strip(), "missing.txt: Cant find file! (1 of 3 files failed)");
}

TEST_F(DialogStatus, DroppedFilesAndFoldersAreAddedInSortedOrder)
{
    testing::writeBmp(sources, "folder/z.bmp", 1, 1);
    testing::writeBmp(sources, "folder/m.bmp", 1, 1);
    testing::writeBmp(sources, "folder/deeper/skipped.bmp", 1, 1);
    const fs::path loose = testing::writeBmp(sources, "c.bmp", 1, 1);
    dialog->show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(toQString(sources / "folder")), QUrl::fromLocalFile(toQString(loose))});
    const QPoint at(300, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &drop);
    dialog->session().picture().finishPass();
    EXPECT_EQ(testing::playlistOf(work.path()), "c.dob,3000\n\nm.dob,3000\n\nz.dob,3000\n\n");
    EXPECT_EQ(strip(), "z.dob written");

    // Something that is no file is not taken.
    QMimeData text;
    text.setText("just words");
    QDragEnterEvent words(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    words.setAccepted(false);
    QApplication::sendEvent(dialog.get(), &words);
    EXPECT_FALSE(words.isAccepted());
}

// Opens the right-click menu, toggles the item named, and lets it close.
void toggleMenuItem(MainDialog& dialog, const QString& name)
{
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions()) {
                if (action->text().startsWith(name))
                    action->trigger();
            }
            menu->close();
        }
    });
    chooser.start(10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(300, 200), dialog.mapToGlobal(QPoint(300, 200)));
    QApplication::sendEvent(&dialog, &event);
}

TEST_F(DialogStatus, MenuSettingsAreRememberedAndReachTheWriterAndTheAboutBox)
{
    dialog->show();
    struct Case {
        const char* item;
        output::OutputOptions expected;
        bool deviceView;
        const char* aboutLine;  // empty: no options line
    };
    const std::vector<Case> cases = {
            {"Full frames", {true, false, std::nullopt, std::nullopt, false}, false, "Options: full frames"},
            {"Dither", {true, true, std::nullopt, std::nullopt, false}, false, "Options: full frames, dither"},
            {"Fit to 128x64", {true, true, output::Size{128, 64}, std::nullopt, false}, false, "Options: full frames, dither, fit 128x64"},
            {"Device view", {true, true, output::Size{128, 64}, std::nullopt, false}, true, "Options: full frames, dither, fit 128x64"},
            {"Full frames", {false, true, output::Size{128, 64}, std::nullopt, false}, true, "Options: dither, fit 128x64"},
            {"Dither", {false, false, output::Size{128, 64}, std::nullopt, false}, true, "Options: fit 128x64"},
            {"Fit to", {}, true, ""},
            {"Device view", {}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        toggleMenuItem(*dialog, QString::fromLatin1(c.item));
        EXPECT_EQ(dialog->settings().output, c.expected);
        EXPECT_EQ(dialog->settings().deviceView, c.deviceView);
        EXPECT_EQ(dialog->pictureView()->deviceView(), c.deviceView);
        // Remembered at once: a dialog made now starts with them.
        const DialogSettings stored = loadDialogSettings();
        EXPECT_EQ(stored.output, c.expected);
        EXPECT_EQ(stored.deviceView, c.deviceView);
        MainDialog next(work.path());
        EXPECT_EQ(next.settings().output, c.expected);

        std::string line = "absent";
        testing::ModalAnswerer answerer([&](QWidget* modal) {
            if (auto* label = modal->findChild<QLabel*>("optionsLabel"))
                line = label->text().toStdString();
        });
        dialog->openAboutBox();
        EXPECT_EQ(line, *c.aboutLine ? c.aboutLine : "absent");
    }
}

TEST_F(DialogStatus, OptionsChosenInTheMenuApplyToTheNextAdd)
{
    std::vector<testing::Rgb> pixels(300 * 10, 0x000000);
    const testing::Bytes bmp = testing::makeBmp(300, 10, pixels);
    const fs::path wide = sources.write("wide.bmp", std::string(bmp.begin(), bmp.end()));
    add({wide});
    EXPECT_EQ(TempDir::read(work / "adv" / "wide.dob").size(), 2u + 1500u);
    DialogSettings fit = dialog->settings();
    fit.output.fit = output::Size{50, 20};
    dialog->applySettings(fit);
    add({wide});
    EXPECT_EQ(TempDir::read(work / "adv" / "wide.dob").size(), 2u + 500u);
}

TEST_F(DialogStatus, ReplacingOnAddAndRestoringArePackageCommandsOfTheMenu)
{
    const fs::path longer = sources.write("long/notes.txt", std::string(130, 'a'));
    const fs::path shorter = sources.write("short/notes.txt", std::string(80, 'b'));
    add({longer});
    toggleMenuItem(*dialog, QStringLiteral("Replace earlier entries on Add"));
    EXPECT_TRUE(loadDialogSettings().replaceEarlier);
    add({shorter});
    const std::string replaced = "notes-01.txt,6000\nnotes-02.txt,6000\n";
    EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), replaced);
    EXPECT_FALSE(fs::exists(work / "adv/notes-03.txt"));

    dialog->deleteAll();
    toggleMenuItem(*dialog, QStringLiteral("Restore previous package"));
    EXPECT_EQ(strip(), "Previous package restored");
    EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), replaced);
}

TEST_F(DialogStatus, WrapWordsFromTheMenuAppliesToTheNextText)
{
    const fs::path text = sources.write("cafe.txt", "Welcome to the Riverside cafe");
    toggleMenuItem(*dialog, QStringLiteral("Wrap words"));
    EXPECT_TRUE(loadDialogSettings().wrapWords);
    add({text});
    EXPECT_EQ(TempDir::read(work / "adv/cafe-01.txt"), "Welcome to the \nRiverside \ncafe");
}

TEST_F(DialogStatus, DeviceViewShowsEachWrittenFrameInTheDeviceGreys)
{
    DialogSettings on = dialog->settings();
    on.deviceView = true;
    dialog->applySettings(on);
    dialog->show();
    // Red and yellow: two colours, the greys 10 and 5 on the device.
    std::vector<testing::Rgb> pixels = {0xFF0000, 0xFFFF00, 0xFF0000, 0xFFFF00};
    const testing::Bytes bmp = testing::makeBmp(2, 2, pixels);
    add({sources.write("pair.bmp", std::string(bmp.begin(), bmp.end()))});
    ASSERT_TRUE(testing::waitUntil([&] { return !dialog->pictureView()->written().isNull(); }));
    const QImage shown = dialog->pictureView()->grab().toImage();
    for (int x = 0; x < 2; ++x) {
        const int level = testing::greyOfRgb(pixels[static_cast<std::size_t>(x)]);
        EXPECT_EQ(qGray(shown.pixel(x, 0)), 255 - 17 * level) << x;
    }

    // An animation: the view follows every frame written.
    std::vector<QImage> seen;
    dialog->session().picture().setRealtime(true);
    const fs::path anim = gif("steps.gif", 3);
    dialog->setFileChooser([anim](QWidget*) { return std::vector<fs::path>{anim}; });
    dialog->addFile();
    testing::waitUntil([&] {
        const QImage now = dialog->pictureView()->written();
        if (seen.empty() || seen.back() != now)
            seen.push_back(now);
        return dialog->statusLine() == "steps: 3 frames written" && seen.size() >= 3;
    });
    dialog->session().picture().finishPass();
    EXPECT_EQ(dialog->statusLine().toStdString(), "steps: 3 frames written");
    EXPECT_GE(seen.size(), 3u);
}

TEST(DeviceImage, LevelsBecomeTheDeviceGreysAndBadLengthsNothing)
{
    const std::vector<std::uint8_t> dob = {3, 1, 0xF0, 0x07};
    const QImage image = deviceImage(dob, 3, 1);
    ASSERT_EQ(image.size(), QSize(3, 1));
    EXPECT_EQ(qGray(image.pixel(0, 0)), 255);
    EXPECT_EQ(qGray(image.pixel(1, 0)), 0);
    EXPECT_EQ(qGray(image.pixel(2, 0)), 255 - 17 * 7);
    EXPECT_TRUE(deviceImage(dob, 5, 1).isNull());
    EXPECT_TRUE(deviceImage(dob, 2, 1).isNull());
    EXPECT_TRUE(deviceImage(dob, 0, 1).isNull());
}

TEST(StatusTexts, CountsAndNames)
{
    struct Case {
        std::string got;
        const char* expected;
    };
    const std::vector<Case> cases = {
            {pictureWrittenText("/w/adv/logo.dob"), "logo.dob written"},
            {framesWrittenText("anim", 1), "anim: 1 frame written"},
            {pagesWrittenText(12), "12 text pages written"},
            {pagesWrittenText(1), "1 text page written"},
            {filesDeletedText(31), "DeleteAll: 31 files deleted"},
            {failureText({"/some/where/x.txt", Status::CantFindFile}), "x.txt: Cant find file!"},
            {batchEndedText("adv.bat", false, 7), "adv.bat exited with status 7"},
            {batchEndedText("adv.bat", true, 0), "adv.bat ended abnormally"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected);

    CommandStatus status;
    status.followAnimation("anim");
    status.frameCaptured({"/w/adv/anim-01.dob", Status::Ok, {}});
    status.frameCaptured({"/w/adv/anim-02.dob", Status::CannotWrite, {}});
    status.frameCaptured({"/w/adv/anim-03.dob", Status::CannotWrite, {}});
    EXPECT_EQ(status.text(), "anim: 1 frame written; anim-02.dob: cannot write (and 1 more)");
    status.set("logo.dob written");
    status.frameCaptured({"/w/adv/late-04.dob", Status::Ok, {}});
    EXPECT_EQ(status.text(), "logo.dob written");
}

}  // namespace
}  // namespace pelkora::dialog
