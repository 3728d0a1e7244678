// One QApplication for the whole test program, made before the first test
// and destroyed after the last, on the test's main thread.

#include <memory>

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "pelkora";
        static char* argv[] = {name, nullptr};
        application_ = std::make_unique<QApplication>(argc, argv);
        // The dialog's remembered settings go to a folder of the tests' own,
        // never to the user's.
        settingsFolder_ = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder_->path());
    }
    void TearDown() override {
        application_.reset();
        settingsFolder_.reset();
    }

private:
    std::unique_ptr<QTemporaryDir> settingsFolder_;
    std::unique_ptr<QApplication> application_;
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
