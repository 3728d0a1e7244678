// The Add command's file-open dialog: what "All Files" lists, and a typed
// name of a file without an extension.

#include <string>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include "qt/add_file_dialog.h"
#include "qt/qt_path.h"
#include "support/temp_dir.h"
#include "tests/qt/dialog_support.h"

namespace pelkora::dialog {

namespace {

namespace fs = std::filesystem;
using testing::ModalAnswerer;
using testing::TempDir;

TEST(AddFileDialog, AllFilesListsNamesWithoutADot)
{
    const auto files = makeAddFileDialog(nullptr);
    auto* types = files->findChild<QComboBox*>("fileTypeCombo");
    auto* model = files->findChild<QFileSystemModel*>();
    ASSERT_NE(types, nullptr);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->nameFilters(), QStringList{"*.bmp"});
    const int last = types->count() - 1;
    types->setCurrentIndex(last);
    emit types->activated(last);
    EXPECT_EQ(model->nameFilters(), QStringList{"*"});
    types->setCurrentIndex(last - 1);
    emit types->activated(last - 1);
    EXPECT_EQ(model->nameFilters(), QStringList{"*.txt"});
}

// Put into the name field as a person does: a name key by key, a whole
// path pasted at once.
void typeName(QFileDialog& files, const QString& text)
{
    auto* name = files.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->clear();
    if (text.startsWith('/')) {
        QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QApplication::clipboard()->setText(text);
        QApplication::sendEvent(name, &paste);
    } else {
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(name, &key);
        }
    }
}

TEST(AddFileDialog, ATypedNameOfAnExistingFileIsTakenWithoutTheSuffix)
{
    TempDir folder;
    const fs::path notes = folder.write("notes", "A text without an extension.");
    struct Case {
        const char* name;
        QString typed;
        bool accepted;
    };
    const std::vector<Case> cases = {
            {"name in the folder", "notes", true},
            {"whole path", toQString(notes), true},
            {"missing name", "missing", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto files = makeAddFileDialog(nullptr);
        files->setDirectory(toQString(folder.path()));
        files->selectNameFilter(files->nameFilters().back());
        files->show();
        typeName(*files, c.typed);
        auto* buttons = files->findChild<QDialogButtonBox*>("buttonBox");
        ASSERT_NE(buttons, nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->isEnabled(), c.accepted);
        QString warning;
        ModalAnswerer answerer([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                warning = box->text();
        });
        // Enter in the name field, as a person confirms.
        QMetaObject::invokeMethod(files.get(), "accept");
        testing::waitUntil([&] { return c.accepted || answerer.count() > 0; }, std::chrono::milliseconds(10000));
        EXPECT_EQ(files->result() == QDialog::Accepted, c.accepted);
        if (c.accepted) {
            EXPECT_EQ(files->selectedFiles(), QStringList{toQString(notes)});
        } else {
            // Other names still get the suffix before they are looked for.
            EXPECT_TRUE(warning.startsWith("missing.Select Picture")) << warning.toStdString();
        }
    }
}

}  // namespace
}  // namespace pelkora::dialog
