// One application object for the whole test program, made before the first
// test and destroyed after the last, on the test's main thread: picture
// plugins (JPEG, ICO) are found through it, and widgets need it. The dialog
// tests build this with PELKORA_TEST_WIDGETS for a widget application; the
// others get a graphical one without widgets.

#include <memory>

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifdef PELKORA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "pelkora";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<TestApplication>(argc, argv);
        // Remembered settings go to a folder of the tests' own, never to
        // the user's.
        settingsFolder_ = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder_->path());
    }
    void TearDown() override
    {
        application_.reset();
        settingsFolder_.reset();
    }

private:
    std::unique_ptr<QTemporaryDir> settingsFolder_;
    std::unique_ptr<TestApplication> application_;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
