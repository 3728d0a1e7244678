#include "qt/settings_store.h"

#include <QSettings>

namespace pelkora::dialog {

using namespace session;

DialogSettings loadDialogSettings()
{
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
    if (const auto size = output::parseSize(sizeText)) {
        loaded.fitSize = *size;
    }
    if (settings.value(QStringLiteral("Fit"), false).toBool()) {
        loaded.output.fit = loaded.fitSize;
    }
    return loaded;
}

void saveDialogSettings(const DialogSettings& wanted)
{
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
    settings.sync();
}

}  // namespace pelkora::dialog
