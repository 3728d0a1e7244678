#include "qt/about_dialog.h"

#include <QLabel>

#include "qt/resources.h"
#include "session/version.h"
#include "ui_about_dialog.h"

namespace pelkora::dialog {


QString aboutVersionLine() { return QStringLiteral(PELKORA_NAME " " PELKORA_VERSION); }

AboutDialog::AboutDialog(QWidget* parent, const QString& optionsLine)
        : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>())
{
    ensureResources();
    ui_->setupUi(this);
    ui_->versionLabel->setText(aboutVersionLine());
    // An icon-style static takes the size of its icon, whatever the
    // template gives it.
    const QPixmap icon = ui_->iconLabel->pixmap();
    if (!icon.isNull()) {
        ui_->iconLabel->resize(icon.size());
    }
    if (!optionsLine.isEmpty()) {
        // Under the version line, left-aligned with it, clear of OK and of
        // the frame below.
        auto* options = new QLabel(optionsLine, this);
        options->setObjectName(QStringLiteral("optionsLabel"));
        const QRect version = ui_->versionLabel->geometry();
        options->setGeometry(version.x(), version.bottom() + 3, width() - version.x() - 10, version.height());
    }
    // The frame sits behind the line it surrounds.
    ui_->groupBox->lower();
}

AboutDialog::~AboutDialog() = default;

}  // namespace pelkora::dialog
