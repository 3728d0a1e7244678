#pragma once
// The About box (template 100): the icon, the program's name and version,
// and the one line about what the demo is for. It keeps no state.

#include <memory>

#include <QDialog>

namespace Ui {
class AboutDialog;
}

namespace pelkora::dialog {

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    // optionsLine: shown under the version when not empty (the output
    // options that are on).
    explicit AboutDialog(QWidget* parent = nullptr, const QString& optionsLine = QString());
    ~AboutDialog() override;

private:
    std::unique_ptr<Ui::AboutDialog> ui_;
};

// "Pelkora 1.0.0": the About box's second line.
QString aboutVersionLine();

}  // namespace pelkora::dialog
