#include "qt/add_file_dialog.h"

#include <algorithm>
#include <system_error>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>

#include "qt/qt_path.h"

namespace pelkora::dialog {


namespace {

// "*.*" means every file where these filters come from, but Qt matches it
// only against names with a dot, so "All Files" would hide a text called
// "notes". Once the dialog has applied the filter, widen it to everything.
void showEveryFileUnderAllFiles(QFileDialog& dialog)
{
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (!types || !model) {
        return;
    }
    QObject::connect(types, &QComboBox::activated, &dialog, [types, model](int index) {
        if (index == types->count() - 1) {
            model->setNameFilters({QStringLiteral("*")});
        }
    });
}

constexpr const char* kAddDefaultSuffix = "Select Picture";

// Qt adds the default suffix to every typed name without a dot, so a file
// such as "notes" could not be typed: the dialog looked for
// "notes.Select Picture" and said it was not found. A typed name that names
// an existing file as it stands is taken as it is; any other name still
// gets the suffix.
class AddFileDialog : public QFileDialog {
public:
    explicit AddFileDialog(QWidget* parent) : QFileDialog(parent) {}

    // Once the widgets exist: follow the typed name as it changes, so that
    // the Open button is offered for such a file too.
    void followTypedName()
    {
        if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            connect(name, &QLineEdit::textEdited, this, [this] { chooseSuffix(); });
        }
        chooseSuffix();
    }

    void accept() override
    {
        chooseSuffix();
        QFileDialog::accept();
    }

private:
    void chooseSuffix()
    {
        const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QString typed = name ? name->text() : QString();
        const bool existsAsTyped = !typed.isEmpty() && QFileInfo(directory().absoluteFilePath(typed)).isFile();
        setDefaultSuffix(existsAsTyped ? QString() : QString::fromLatin1(kAddDefaultSuffix));
    }
};

}  // namespace

std::unique_ptr<QFileDialog> makeAddFileDialog(QWidget* parent)
{
    auto dialog = std::make_unique<AddFileDialog>(parent);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // Letter case does not matter: *.bmp finds A.BMP.
    dialog->setFilter(dialog->filter() & ~QDir::CaseSensitive);
    // Every format the picture loader reads, each alone and all together.
    dialog->setNameFilters({QStringLiteral("BMP Files(*.bmp)"), QStringLiteral("GIF Files(*.gif)"),
                            QStringLiteral("PNG Files(*.png)"), QStringLiteral("JPEG Files(*.jpg *.jpeg)"),
                            QStringLiteral("ICO Files(*.ico)"), QStringLiteral("WebP Files(*.webp)"),
                            QStringLiteral("TIFF Files(*.tif *.tiff)"),
                            QStringLiteral("All Pictures(*.bmp *.gif *.png *.jpg *.jpeg *.ico *.webp *.tif *.tiff)"),
                            QStringLiteral("TXT Files(*.txt)"), QStringLiteral("All Files (*.*)")});
    dialog->selectNameFilter(dialog->nameFilters().front());
    showEveryFileUnderAllFiles(*dialog);
    dialog->selectFile(QStringLiteral("Gifpic"));
    dialog->followTypedName();
    return dialog;
}

std::vector<std::filesystem::path> chooseFilesWithDialog(QWidget* parent)
{
    const auto dialog = makeAddFileDialog(parent);
    std::vector<std::filesystem::path> files;
    if (dialog->exec() != QDialog::Accepted) {
        return files;
    }
    for (const QString& name : dialog->selectedFiles()) {
        files.push_back(toPath(name));
    }
    return files;
}

std::vector<std::filesystem::path> filesToAdd(const std::vector<std::filesystem::path>& dropped)
{
    std::vector<std::filesystem::path> files;
    for (const std::filesystem::path& path : dropped) {
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            files.push_back(path);
            continue;
        }
        for (std::filesystem::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
            if (it->is_regular_file(error)) {
                files.push_back(it->path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace pelkora::dialog
