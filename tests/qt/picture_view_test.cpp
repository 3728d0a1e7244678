// The picture control on screen: what it paints, the size it takes, and a
// dialog torn down while its animation still plays.

#include <gtest/gtest.h>

#include "qt/main_dialog.h"
#include "qt/picture_view.h"
#include "support/temp_dir.h"
#include "tests/qt/dialog_support.h"

namespace pelkora::dialog {

using namespace session;
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(PictureView, PaintsBlackUntilAPictureAndThenThePicture)
{
    TempDir work;
    TempDir sources;
    MainDialog dialog(work.path());
    PictureView* view = dialog.pictureView();
    const QImage before = view->grab().toImage();
    ASSERT_FALSE(before.isNull());
    EXPECT_EQ(before.pixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(before.pixel(before.width() - 1, before.height() - 1) & 0xFFFFFF, 0u);

    const fs::path bmp = testing::writeBmp(sources, "shown.bmp", 5, 4);
    const QImage source(toQString(bmp));
    dialog.setFileChooser([&](QWidget*) { return std::vector<fs::path>{bmp}; });
    dialog.addFile();
    ASSERT_TRUE(testing::waitUntil([&] { return view->size() == QSize(5, 4); }));
    const QImage after = view->grab().toImage();
    ASSERT_EQ(after.size(), QSize(5, 4));
    for (const QPoint p : {QPoint(0, 0), QPoint(4, 0), QPoint(2, 3), QPoint(4, 3)}) {
        EXPECT_EQ(after.pixel(p) & 0xFFFFFF, source.pixel(p) & 0xFFFFFF) << p.x() << "," << p.y();
    }
    // The hand cursor's rectangle follows the control's new size.
    EXPECT_TRUE(dialog.isOverPictureControl(view->geometry().topLeft() + QPoint(4, 3)));
    EXPECT_FALSE(dialog.isOverPictureControl(view->geometry().topLeft() + QPoint(5, 3)));
}

TEST(PictureView, ADialogClosedDuringAnAnimationEndsCleanly)
{
    const fs::path gif = testing::testData("animation.gif");
    ASSERT_TRUE(fs::exists(gif)) << "no GIF test data at " << gif;
    TempDir work;
    fs::create_directories(work / "adv");
    for (int round = 0; round < 3; ++round) {
        auto dialog = std::make_unique<MainDialog>(work.path());
        dialog->show();
        dialog->setFileChooser([&](QWidget*) { return std::vector<fs::path>{gif}; });
        dialog->addFile();  // realtime: the worker is still in its pass
        QApplication::processEvents();
        dialog.reset();
        // Requests the worker posted before it ended find no view and no model.
        QApplication::processEvents();
    }
    EXPECT_TRUE(fs::exists(work / "adv" / "advertising.index"));
}

}  // namespace
}  // namespace pelkora::dialog
