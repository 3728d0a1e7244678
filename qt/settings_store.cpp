#include "qt/settings_store.h"

#include <QSettings>
#include <QStandardPaths>
#include <QtGlobal>

#include <system_error>

#include "platform/files.h"
#include "platform/path_names.h"
#include "session/control_settings.h"

namespace pelkora::dialog {

using namespace session;

namespace {

// Where QSettings keeps the user's INI file, known before QSettings is made:
// making one reads the file at once.
std::filesystem::path settingsFilePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return platform::pathFromUtf8((folder + QLatin1Char('/') + QString::fromLatin1(kSettingsOrganisation)
                                   + QLatin1Char('/') + QString::fromLatin1(kSettingsApplication) + ".ini")
                                          .toStdString());
}

// A pipe there would keep the dialog waiting for ever, before any window
// shows; a device or a folder is no settings file either. Missing is fine.
bool settingsFileUsable()
{
    const std::filesystem::path path = settingsFilePath();
    platform::FileStatus status;
    std::error_code cause;
    if (!platform::statusOf(path, platform::Links::Follow, status, cause)
        || status.kind == platform::EntryKind::Regular)
        return true;
    qWarning("pelkora: warning: %s: is not a regular file; the settings are neither read nor written",
             platform::utf8Of(path).c_str());
    return false;
}

}  // namespace

DialogSettings loadDialogSettings()
{
    if (!settingsFileUsable())
        return {};
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(kSettingsOrganisation),
                       QString::fromLatin1(kSettingsApplication));
    DialogSettings loaded;
    loaded.output.fullFrames = settings.value(QStringLiteral("FullFrames"), false).toBool();
    loaded.output.dither = settings.value(QStringLiteral("Dither"), false).toBool();
    loaded.deviceView = settings.value(QStringLiteral("DeviceView"), false).toBool();
    loaded.keepPrevious = settings.value(QStringLiteral("KeepPrevious"), true).toBool();
    loaded.replaceEarlier = settings.value(QStringLiteral("ReplaceEarlier"), false).toBool();
    loaded.wrapWords = settings.value(QStringLiteral("WrapWords"), false).toBool();
    const std::string sizeText = settings.value(QStringLiteral("FitSize")).toString().toStdString();
    if (const auto size = output::parseFitSize(sizeText)) {
        loaded.fitSize = *size;
    }
    if (settings.value(QStringLiteral("Fit"), false).toBool()) {
        loaded.output.fit = loaded.fitSize;
    }
    loaded.output.screen = output::parseFitSize(settings.value(QStringLiteral("Screen")).toString().toStdString());
    loaded.output.center = loaded.output.screen && settings.value(QStringLiteral("Center"), false).toBool();
    for (const auto& [key, unused] : session::controlSettings(loaded.output)) {
        const QString name = QString::fromStdString(key);
        if (settings.contains(name))
            session::applyControlSetting(key, settings.value(name).toString().toStdString(), loaded.output);
    }
    return loaded;
}

void saveDialogSettings(const DialogSettings& wanted)
{
    if (!settingsFileUsable())
        return;
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(kSettingsOrganisation),
                       QString::fromLatin1(kSettingsApplication));
    settings.setValue(QStringLiteral("FullFrames"), wanted.output.fullFrames);
    settings.setValue(QStringLiteral("Dither"), wanted.output.dither);
    settings.setValue(QStringLiteral("Fit"), wanted.output.fit.has_value());
    settings.setValue(QStringLiteral("FitSize"),
                      QString::fromStdString(output::sizeText(wanted.output.fit.value_or(wanted.fitSize))));
    settings.setValue(QStringLiteral("DeviceView"), wanted.deviceView);
    settings.setValue(QStringLiteral("ReplaceEarlier"), wanted.replaceEarlier);
    settings.setValue(QStringLiteral("WrapWords"), wanted.wrapWords);
    settings.setValue(QStringLiteral("Center"), wanted.output.center);
    if (wanted.output.screen) {
        settings.setValue(QStringLiteral("Screen"), QString::fromStdString(output::sizeText(*wanted.output.screen)));
    } else {
        settings.remove(QStringLiteral("Screen"));
    }
    for (const auto& [key, value] : session::controlSettings(wanted.output))
        settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    settings.sync();
}

}  // namespace pelkora::dialog
