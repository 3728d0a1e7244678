#pragma once
// The Add command's file-open dialog, and the files a drop onto the dialog
// stands for.

#include <filesystem>
#include <memory>
#include <vector>

class QFileDialog;
class QWidget;

namespace pelkora::dialog {

// Four filters, BMP in force, the initial name "Gifpic", existing files only.
std::unique_ptr<QFileDialog> makeAddFileDialog(QWidget* parent);
// The files chosen in it, in the order chosen; none when the person cancels.
std::vector<std::filesystem::path> chooseFilesWithDialog(QWidget* parent);
// Dropped files and folders as Add takes them: a folder gives the files in
// it (not below it); everything sorted by name.
std::vector<std::filesystem::path> filesToAdd(const std::vector<std::filesystem::path>& dropped);

}  // namespace pelkora::dialog
