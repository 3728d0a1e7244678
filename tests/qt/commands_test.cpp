// The dialog's commands: About (button, context menu, F1, command ids),
// Add with each kind of file, DeleteAll, Convert, the picture's link and
// cursor, and the ways the dialog ends.

#include <fstream>
#include <string>
#include <vector>

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include "qt/main_dialog.h"
#include "qt/picture_view.h"
#include "session/version.h"
#include "output/output_folder.h"
#include "support/temp_dir.h"
#include "tests/qt/dialog_support.h"

namespace pelkora::dialog {

using namespace session;
namespace {

namespace fs = std::filesystem;
using testing::fileNames;
using testing::ModalAnswerer;
using testing::TempDir;

// A dialog on its own work folder, with every outside effect caught.
class DialogCommands : public ::testing::Test {
protected:
    DialogCommands() : dialog(work.path())
    {
        fs::create_directories(work / "adv");
        dialog.session().picture().setRealtime(false);
        dialog.setMessageFunction([this](QWidget* owner, const QString& text) {
            EXPECT_EQ(owner, &dialog);
            messages.push_back(text.toStdString());
        });
        dialog.setLinkOpener([this](const QUrl& url) {
            links.push_back(url.toString().toStdString());
            return true;
        });
    }

    void addFile(const fs::path& path)
    {
        dialog.setFileChooser([path](QWidget*) { return std::vector<fs::path>{path}; });
        dialog.addFile();
        dialog.session().picture().finishPass();
    }

    std::string playlist() const { return TempDir::read(work / "adv" / "advertising.index"); }

    TempDir work;
    TempDir sources;
    MainDialog dialog;
    std::vector<std::string> messages;
    std::vector<std::string> links;
};

TEST_F(DialogCommands, CommandIdsOpenTheAboutBoxOnlyInTheirRange)
{
    struct Case {
        int commandId;
        bool opens;
    };
    const std::vector<Case> cases = {
            {0x0010, true},  {0x0015, true},  {0x001F, true},  {0x000F, false},
            {0x0020, false}, {0x0000, false}, {0xF060, false}, {0x1010, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandId);
        std::string title;
        ModalAnswerer answerer([&](QWidget* modal) { title = modal->windowTitle().toStdString(); });
        dialog.systemCommand(c.commandId);
        EXPECT_EQ(answerer.count(), c.opens ? 1 : 0);
        EXPECT_EQ(title, c.opens ? "About Pelkora" : "");
    }
}

TEST_F(DialogCommands, AboutButtonOpensTheAboutBoxWithItsTexts)
{
    std::vector<std::string> texts;
    ModalAnswerer answerer([&](QWidget* modal) {
        texts.push_back(modal->windowTitle().toStdString());
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            if (!label->text().isEmpty())
                texts.push_back(label->text().toStdString());
        }
    });
    dialog.findChild<QPushButton*>("aboutButton")->click();
    ASSERT_EQ(answerer.count(), 1);
    const std::vector<std::string> expected = {"About Pelkora", std::string("Pelkora ") + PELKORA_VERSION,
                                               "This Demo is used to change Gif to Gz"};
    EXPECT_EQ(texts, expected);
}

TEST_F(DialogCommands, F1EnterAndTheContextMenuReachTheAboutBox)
{
    dialog.show();
    // F1 anywhere; Enter presses the default button, About.
    for (Qt::Key key : {Qt::Key_F1, Qt::Key_Return}) {
        SCOPED_TRACE(key);
        ModalAnswerer answerer([](QWidget*) {});
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &press);
        EXPECT_EQ(answerer.count(), 1);
    }
    {
        // The context menu holds the About item; choosing it opens the box.
        std::string item;
        int aboutBoxes = 0;
        QTimer chooser;
        QObject::connect(&chooser, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                ASSERT_FALSE(menu->actions().isEmpty());
                item = menu->actions().front()->text().toStdString();
                // Chosen as a person would, from the menu's own loop.
                menu->setActiveAction(menu->actions().front());
                QCoreApplication::postEvent(menu, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
            } else if (QWidget* modal = QApplication::activeModalWidget()) {
                ++aboutBoxes;
                modal->close();
            }
        });
        chooser.start(10);
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(300, 200), dialog.mapToGlobal(QPoint(300, 200)));
        QApplication::sendEvent(&dialog, &event);
        testing::waitUntil([&] { return aboutBoxes > 0; }, std::chrono::milliseconds(10000));
        EXPECT_EQ(item, "&About Pelkora...");
        EXPECT_EQ(aboutBoxes, 1);
    }
}

TEST(DialogAddFile, FileDialogOffersEveryPictureFormatWithBmpInForce)
{
    TempDir work;
    MainDialog dialog(work.path());
    // The real chooser: answered by closing it, which cancels the Add.
    QStringList filters;
    QString selectedFilter, suffix, name;
    bool oneExistingFile = false;
    bool caseSensitive = true;
    ModalAnswerer answerer([&](QWidget* modal) {
        auto* files = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(files, nullptr);
        filters = files->nameFilters();
        selectedFilter = files->selectedNameFilter();
        suffix = files->defaultSuffix();
        oneExistingFile =
                files->fileMode() == QFileDialog::ExistingFiles && files->acceptMode() == QFileDialog::AcceptOpen;
        caseSensitive = files->filter().testFlag(QDir::CaseSensitive);
        if (auto* edit = files->findChild<QLineEdit*>("fileNameEdit"))
            name = edit->text();
        EXPECT_EQ(files->parentWidget(), &dialog);
    });
    dialog.addFile();
    ASSERT_EQ(answerer.count(), 1);
    EXPECT_EQ(filters,
              (QStringList{"BMP Files(*.bmp)", "GIF Files(*.gif)", "PNG Files(*.png)", "JPEG Files(*.jpg *.jpeg)",
                           "ICO Files(*.ico)", "WebP Files(*.webp)", "TIFF Files(*.tif *.tiff)",
                           "All Pictures(*.bmp *.gif *.png *.jpg *.jpeg *.ico *.webp *.tif *.tiff)", "TXT Files(*.txt)",
                           "All Files (*.*)"}));
    EXPECT_EQ(selectedFilter, "BMP Files(*.bmp)");
    EXPECT_EQ(suffix, "Select Picture");
    EXPECT_EQ(name, "Gifpic");
    EXPECT_TRUE(oneExistingFile);
    EXPECT_FALSE(caseSensitive);
    EXPECT_FALSE(fs::exists(work / "adv"));
}

TEST_F(DialogCommands, AddDrawsAStillPictureAndWritesItBeforeReturning)
{
    const fs::path bmp = testing::writeBmp(sources, "Tiny.bmp", 7, 3);
    dialog.setFileChooser([&](QWidget*) { return std::vector<fs::path>{bmp}; });
    dialog.addFile();
    EXPECT_EQ(fileNames(work / "adv"), (std::set<std::string>{"Tiny.dob", "advertising.index"}));
    EXPECT_EQ(playlist(), "Tiny.dob,3000\n\n");
    EXPECT_TRUE(messages.empty());
    // The control takes the picture's size once its request has arrived.
    EXPECT_TRUE(testing::waitUntil([&] { return dialog.pictureView()->size() == QSize(7, 3); }));
}

TEST_F(DialogCommands, AddPlaysAnAnimatedGifAndWritesEveryFrame)
{
    const fs::path gif = testing::testData("animation.gif");
    ASSERT_TRUE(fs::exists(gif)) << "no GIF test data at " << gif;
    addFile(gif);
    EXPECT_EQ(fileNames(work / "adv"),
              (std::set<std::string>{"animation-01.dob", "animation-02.dob", "animation-03.dob", "animation-04.dob",
                                     "advertising.index"}));
    EXPECT_EQ(playlist(), "animation-01.dob,500\nanimation-02.dob,500\nanimation-03.dob,500\n"
                          "animation-04.dob,1500\n\n");
    EXPECT_TRUE(testing::waitUntil([&] { return dialog.pictureView()->size() == QSize(2, 2); }));
}

TEST_F(DialogCommands, AddPagesATextButRefusesADamagedGif)
{
    addFile(sources.write("note.txt", "Hello from the text pager."));
    EXPECT_TRUE(fs::is_regular_file(work / "adv" / "note-01.txt"));
    EXPECT_EQ(playlist(), "note-01.txt,6000\n");
    EXPECT_TRUE(messages.empty());

    // A GIF signature with a screen but nothing decodable after it: a
    // damaged picture, said so, and never paged as text.
    addFile(sources.write("broken.gif", std::string("GIF89a\x02\x00\x02\x00\x00\x00\x00", 13) + "not an image at all"));
    EXPECT_EQ(fileNames(work / "adv"), (std::set<std::string>{"advertising.index", "note-01.txt"}));
    EXPECT_EQ(playlist(), "note-01.txt,6000\n");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("broken.gif: ", 0), 0u) << messages[0];
}

TEST_F(DialogCommands, AddOfAMissingFileSaysSoAndCancelDoesNothing)
{
    dialog.setFileChooser([](QWidget*) { return std::vector<fs::path>(); });
    dialog.addFile();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(fileNames(work / "adv"), std::set<std::string>{});

    addFile(sources / "gone.txt");
    EXPECT_EQ(messages, std::vector<std::string>{"Cant find file!"});
    EXPECT_EQ(fileNames(work / "adv"), std::set<std::string>{});
}

TEST_F(DialogCommands, DeleteAllEmptiesNestedFoldersAndKeepsThem)
{
    work.write("adv/advertising.index", "a.dob,3000\n\n");
    work.write("adv/a.dob", "x");
    work.write("adv/sub/b.dob", "x");
    work.write("adv/sub/deeper/c.txt", "x");
    work.write("keep.txt", "outside the output folder");
    dialog.findChild<QPushButton*>("deleteAllButton")->click();
    EXPECT_TRUE(fileNames(work / "adv").empty());
    EXPECT_TRUE(fileNames(work / "adv" / "sub").empty());
    EXPECT_TRUE(fileNames(work / "adv" / "sub" / "deeper").empty());
    EXPECT_TRUE(fs::is_directory(work / "adv" / "sub" / "deeper"));
    EXPECT_TRUE(fs::exists(work / "keep.txt"));
    EXPECT_TRUE(messages.empty());
}

TEST_F(DialogCommands, ConvertStartsTheBatchFileInTheWorkFolder)
{
    struct Case {
        const char* name;
        std::string script;
        bool executable;
        const char* marker;
    };
    const std::vector<Case> cases = {
            {"through the shell", "pwd > started-by-shell.txt\n", false, "started-by-shell.txt"},
            {"run directly", "#!/bin/sh\npwd > started-directly.txt\n", true, "started-directly.txt"},
            // Executable, but nothing tells the system how to run it.
            {"executable without an interpreter line", "pwd > started-plain.txt\n", true, "started-plain.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path batch = work.write("adv.bat", c.script);
        fs::permissions(batch, c.executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
        const fs::path marker = work / c.marker;
        dialog.findChild<QPushButton*>("convertButton")->click();
        EXPECT_TRUE(messages.empty());
        ASSERT_TRUE(testing::waitUntil([&] { return TempDir::read(marker).find('\n') != std::string::npos; }));
        EXPECT_EQ(fs::path(TempDir::read(marker).substr(0, TempDir::read(marker).find('\n'))),
                  fs::canonical(work.path()));
    }
}

TEST_F(DialogCommands, ConvertWithoutABatchFileSaysItCouldNotStart)
{
    dialog.runBatchFile();
    fs::create_directory(work / "adv.bat");  // a folder is no batch file either
    dialog.runBatchFile();
    EXPECT_EQ(messages, (std::vector<std::string>{"启动出错!", "启动出错!"}));
}

TEST(DialogMessages, MessageBoxIsCaptionedWithTheProgramAndHasOnlyOk)
{
    TempDir work;
    MainDialog dialog(work.path());
    std::string caption;
    std::string text;
    QMessageBox::StandardButtons buttons;
    ModalAnswerer answerer([&](QWidget* modal) {
        caption = modal->windowTitle().toStdString();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            text = box->text().toStdString();
            buttons = box->standardButtons();
            EXPECT_EQ(box->parentWidget(), &dialog);
        }
    });
    dialog.runBatchFile();
    ASSERT_EQ(answerer.count(), 1);
    EXPECT_EQ(caption, QCoreApplication::applicationName().toStdString());
    EXPECT_EQ(text, "启动出错!");
    EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST_F(DialogCommands, PressesInsideThePictureOpenTheLinkAndTheCursorFollows)
{
    dialog.show();
    const QRect picture = dialog.pictureView()->geometry();
    struct Case {
        QPoint point;
        Qt::MouseButton button;
        bool inside;
        bool opens;
    };
    const std::vector<Case> cases = {
            {picture.topLeft(), Qt::LeftButton, true, true},
            {picture.bottomRight(), Qt::LeftButton, true, true},
            {picture.bottomRight() + QPoint(1, 0), Qt::LeftButton, false, false},
            {picture.topLeft() - QPoint(0, 1), Qt::LeftButton, false, false},
            {picture.center(), Qt::RightButton, true, false},
            {QPoint(500, 20), Qt::LeftButton, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.point.x()) + "," + std::to_string(c.point.y()));
        links.clear();
        EXPECT_EQ(dialog.isOverPictureControl(c.point), c.inside);
        QMouseEvent move(QEvent::MouseMove, c.point, dialog.mapToGlobal(c.point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&dialog, &move);
        EXPECT_EQ(dialog.cursor().shape(), c.inside ? Qt::BitmapCursor : Qt::ArrowCursor);
        QMouseEvent press(QEvent::MouseButtonPress, c.point, dialog.mapToGlobal(c.point), c.button, c.button,
                          Qt::NoModifier);
        QApplication::sendEvent(&dialog, &press);
        EXPECT_EQ(links, c.opens ? std::vector<std::string>{kPictureLink} : std::vector<std::string>{});
    }
    // A failure to open the address is ignored.
    dialog.setLinkOpener([](const QUrl&) { return false; });
    QMouseEvent press(QEvent::MouseButtonPress, picture.center(), dialog.mapToGlobal(picture.center()), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(DialogCommands, WithoutItsCursorThePictureShowsTheDefaultOne)
{
    dialog.setHandCursor(std::nullopt);
    const QPoint inside = dialog.pictureView()->geometry().center();
    QMouseEvent move(QEvent::MouseMove, inside, dialog.mapToGlobal(inside), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &move);
    EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(DialogCommands, EscapeAndTheCloseBoxEndTheDialog)
{
    for (bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close box");
        int result = -1;
        QTimer::singleShot(0, &dialog, [&] {
            if (escape) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(dialog.focusWidget() ? dialog.focusWidget() : &dialog, &key);
            } else {
                dialog.close();
            }
        });
        // A dialog that did not end would hang here; the watchdog fails it.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] { dialog.done(42); });
        watchdog.start(5000);
        result = dialog.exec();
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_TRUE(fileNames(work / "adv").empty());
}

}  // namespace
}  // namespace pelkora::dialog
