#pragma once
// File names cross between std::filesystem and Qt as the bytes the file
// system holds, so a name that is not valid UTF-8 still names the same file.

#include <filesystem>

#include <QFile>
#include <QString>

namespace pelkora::dialog {

inline QString toQString(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

inline std::filesystem::path toPath(const QString& name)
{
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

}  // namespace pelkora::dialog
