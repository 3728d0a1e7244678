#include "app/about_dialog.h"

#include "app/resources.h"
#include "app/version.h"
#include "ui_about_dialog.h"

namespace pelkora::app {

QString aboutVersionLine() {
    return QStringLiteral(PELKORA_NAME " " PELKORA_VERSION);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()) {
    ensureResources();
    ui_->setupUi(this);
    ui_->versionLabel->setText(aboutVersionLine());
    // An icon-style static takes the size of its icon, whatever the
    // template gives it.
    const QPixmap icon = ui_->iconLabel->pixmap();
    if (!icon.isNull()) {
        ui_->iconLabel->resize(icon.size());
    }
    // The frame sits behind the line it surrounds.
    ui_->groupBox->lower();
}

AboutDialog::~AboutDialog() = default;

}  // namespace pelkora::app
