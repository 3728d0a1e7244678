// The two dialog templates as built: controls, texts, geometry from dialog
// units, tab order and default buttons; the icon and the hand cursor.

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "qt/about_dialog.h"
#include "qt/main_dialog.h"
#include "qt/picture_view.h"
#include "session/version.h"
#include "support/temp_dir.h"
#include "tests/qt/dialog_support.h"

namespace pelkora::dialog {

using namespace session;
namespace {

using testing::TempDir;

struct Control {
    const char* objectName;
    const char* className;
    const char* text;  // nullptr: no text to compare
    int controlId;     // 0: no id
    QRect dialogUnits;
};

// Dialog units at the template font's base units, 6 x 13 pixels.
QRect toPixels(const QRect& units)
{
    auto x = [](int v) { return static_cast<int>(std::lround(v * 1.5)); };
    auto y = [](int v) { return static_cast<int>(std::lround(v * 1.625)); };
    return {x(units.x()), y(units.y()), x(units.width()), y(units.height())};
}

void expectControls(const QWidget& dialog, const std::vector<Control>& controls)
{
    for (const Control& expected : controls) {
        SCOPED_TRACE(expected.objectName);
        auto* widget = dialog.findChild<QWidget*>(expected.objectName);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(expected.className)) << widget->metaObject()->className();
        if (expected.controlId != 0) {
            EXPECT_EQ(widget->property("controlId").toInt(), expected.controlId);
        }
        if (expected.text != nullptr) {
            QString text;
            if (auto* button = qobject_cast<QPushButton*>(widget))
                text = button->text();
            if (auto* label = qobject_cast<QLabel*>(widget))
                text = label->text();
            if (auto* box = qobject_cast<QGroupBox*>(widget))
                text = box->title();
            EXPECT_EQ(text.toStdString(), expected.text);
        }
    }
}

TEST(DialogTemplates, MainDialogHasTheTemplateControlsAtTheirPlaces)
{
    TempDir work;
    MainDialog dialog(work.path());
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Pelkora");
    EXPECT_EQ(dialog.property("templateId").toInt(), 102);
    // The template's area, and the status strip below it across the whole width.
    auto* strip = dialog.findChild<QLabel*>("statusStrip");
    ASSERT_NE(strip, nullptr);
    const QSize area = toPixels({0, 0, 384, 250}).size();
    EXPECT_EQ(strip->geometry(), QRect(0, area.height(), area.width(), strip->height()));
    EXPECT_GT(strip->height(), 0);
    EXPECT_EQ(dialog.size(), area + QSize(0, strip->height()));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());

    const std::vector<Control> controls = {
            {"aboutButton", "QPushButton", "About", 139, {241, 215, 50, 16}},
            {"pictureControl", "pelkora::dialog::PictureView", nullptr, 1000, {20, 16, 44, 36}},
            {"addButton", "QPushButton", "Add", 140, {87, 216, 48, 15}},
            {"convertButton", "QPushButton", "Convert", 1010, {189, 216, 48, 15}},
            {"deleteAllButton", "QPushButton", "DeleteAll", 1011, {139, 216, 48, 15}},
    };
    expectControls(dialog, controls);
    for (const Control& control : controls) {
        SCOPED_TRACE(control.objectName);
        auto* widget = dialog.findChild<QWidget*>(control.objectName);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), toPixels(control.dialogUnits));
    }
}

TEST(DialogTemplates, MainDialogButtonsTabInTemplateOrderWithAboutAsDefault)
{
    TempDir work;
    MainDialog dialog(work.path());
    auto* about = dialog.findChild<QPushButton*>("aboutButton");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isDefault());
    for (const char* other : {"addButton", "convertButton", "deleteAllButton"}) {
        auto* button = dialog.findChild<QPushButton*>(other);
        ASSERT_NE(button, nullptr);
        EXPECT_FALSE(button->isDefault()) << other;
    }

    std::vector<std::string> order;
    QWidget* widget = about;
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            order.push_back(widget->objectName().toStdString());
        }
        widget = widget->nextInFocusChain();
    } while (widget != about && order.size() < 10);
    const std::vector<std::string> expected = {"aboutButton", "addButton", "convertButton", "deleteAllButton"};
    EXPECT_EQ(order, expected);

    // The picture control is no tab stop and takes no mouse input.
    PictureView* view = dialog.pictureView();
    EXPECT_EQ(view->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(view->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(DialogTemplates, AboutBoxHasItsTextsIconAndOkButton)
{
    AboutDialog about;
    EXPECT_EQ(about.windowTitle().toStdString(), "About Pelkora");
    EXPECT_EQ(about.property("templateId").toInt(), 100);
    EXPECT_EQ(about.size(), toPixels({0, 0, 235, 86}).size());

    const std::string versionLine = std::string("Pelkora ") + PELKORA_VERSION;
    const std::vector<Control> controls = {
            {"iconLabel", "QLabel", "", 0, {7, 11, 20, 20}},
            {"versionLabel", "QLabel", versionLine.c_str(), 0, {39, 20, 108, 8}},
            {"okButton", "QPushButton", "OK", 1, {178, 7, 50, 14}},
            {"descriptionLabel", "QLabel", "This Demo is used to change Gif to Gz", 0, {21, 54, 199, 8}},
            {"groupBox", "QGroupBox", "", 0, {7, 42, 221, 37}},
    };
    expectControls(about, controls);
    for (const Control& control : controls) {
        SCOPED_TRACE(control.objectName);
        auto* widget = about.findChild<QWidget*>(control.objectName);
        ASSERT_NE(widget, nullptr);
        const QRect expected = toPixels(control.dialogUnits);
        if (std::string(control.objectName) == "iconLabel") {
            // An icon static takes its icon's size at the template's place.
            EXPECT_EQ(widget->pos(), expected.topLeft());
            EXPECT_EQ(widget->size(), QSize(32, 32));
        } else {
            EXPECT_EQ(widget->geometry(), expected);
        }
    }
    auto* ok = about.findChild<QPushButton*>("okButton");
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    auto* icon = about.findChild<QLabel*>("iconLabel");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());

    about.show();
    ok->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}

// Every colour of an image is one of the sixteen of a 4-bit palette, or
// transparent.
void expectSixteenColours(const QImage& image)
{
    static const std::set<QRgb> palette = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                           0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                           0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::set<QRgb> used;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            if (qAlpha(pixel) == 0)
                continue;
            EXPECT_EQ(qAlpha(pixel), 255);
            used.insert(pixel & 0xFFFFFF);
        }
    }
    EXPECT_GE(used.size(), 2u);
    for (QRgb colour : used) {
        EXPECT_TRUE(palette.count(colour)) << std::hex << colour;
    }
}

TEST(DialogResources, IconHasBothSizesInSixteenColours)
{
    TempDir work;
    MainDialog dialog(work.path());
    ASSERT_FALSE(dialog.dialogIcon().isNull());
    const QList<QSize> sizes = dialog.dialogIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    for (int side : {32, 16}) {
        SCOPED_TRACE(side);
        const QImage image = dialog.dialogIcon().pixmap(QSize(side, side)).toImage();
        EXPECT_EQ(image.size(), QSize(side, side));
        expectSixteenColours(image);
    }
    EXPECT_FALSE(dialog.windowIcon().isNull());
}

TEST(DialogResources, HandCursorIsOursWithItsHotSpot)
{
    TempDir work;
    MainDialog dialog(work.path());
    ASSERT_TRUE(dialog.handCursor().has_value());
    EXPECT_EQ(dialog.handCursor()->shape(), Qt::BitmapCursor);
    EXPECT_EQ(dialog.handCursor()->hotSpot(), QPoint(12, 1));
    const QImage image = dialog.handCursor()->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.size(), QSize(32, 32));
    expectSixteenColours(image);
    // The hot spot is the finger's tip: opaque there, nothing above it.
    EXPECT_EQ(qAlpha(image.pixel(12, 1)), 255);
    for (int x = 0; x < 32; ++x) {
        EXPECT_EQ(qAlpha(image.pixel(x, 0)), 0) << x;
    }
}

}  // namespace
}  // namespace pelkora::dialog
