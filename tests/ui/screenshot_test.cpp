// Pictures of the main window right after start-up and of the installer, saved into the build
// folder (screenshots/main-window.png, screenshots/installer.png) so that anyone can look at
// them.
#include <QDir>

#include "lists/settings_file.h"
#include "tests/ui/ui_fixture.h"

namespace zavel {
namespace {

using test::UiTest;

TEST_F(UiTest, ScreenshotOfTheMainWindowAfterStartUp) {
    Install();
    WriteStatus(std::string(DefaultSettingsFile()));
    auto frame = Start();
    const QImage shot = frame->grab().toImage();
    EXPECT_EQ(shot.size(), frame->size());
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(ZAVEL_SCREENSHOT_DIR)));
    const QString path = QStringLiteral(ZAVEL_SCREENSHOT_DIR "/main-window.png");
    ASSERT_TRUE(shot.save(path));
    EXPECT_EQ(QImage(path).size(), shot.size());
}

TEST_F(UiTest, ScreenshotOfTheInstaller) {
    auto frame = Start();
    ASSERT_EQ(frame->installMode, 1);
    const QImage shot = frame->grab().toImage();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(ZAVEL_SCREENSHOT_DIR)));
    ASSERT_TRUE(shot.save(QStringLiteral(ZAVEL_SCREENSHOT_DIR "/installer.png")));
}

}  // namespace
}  // namespace zavel
