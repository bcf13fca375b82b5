// The installer screen: what a fresh start shows, pixel by pixel where it matters, and the
// browse button's chooser.
#include <QApplication>
#include <QTest>

#include <filesystem>

#include "install/installer_screen.h"
#include "install/installer_window.h"
#include "tests/ui/ui_fixture.h"
#include "ui/backdrop.h"
#include "ui/list_editor_window.h"
#include "ui/resources.h"

namespace zavel {
namespace {

class InstallerScreenTest : public test::UiTest {
  protected:
    // A machine that never ran ZAVEL: not even the Windows directory exists.
    InstallerScreenTest() { std::filesystem::remove_all(windowsDir); }

    // Whether some pixel of `area` of the picture has exactly `colour`.
    static bool Shows(const QImage& picture, const QRect& area, QRgb colour) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if ((picture.pixel(x, y) | 0xff000000u) == (colour | 0xff000000u)) {
                    return true;
                }
            }
        }
        return false;
    }
};

TEST_F(InstallerScreenTest, AFreshStartShowsTheInstallerScreenAndTouchesNoSettings) {
    auto frame = Start();
    ASSERT_EQ(frame->installMode, 1);
    ASSERT_NE(frame->installer, nullptr);
    InstallerWindow& installer = *frame->installer;

    // The proposed destination is the Windows directory itself, which now exists.
    EXPECT_EQ(frame->destinationEdit->text().toStdString(), windowsDir);
    EXPECT_TRUE(std::filesystem::is_directory(windowsDir));
    EXPECT_EQ(installer.destinationText, home + "/");  // the buffer, never shown
    EXPECT_EQ(frame->destinationEdit->geometry(), QRect(162, 202, 308, 15));
    EXPECT_EQ(frame->destinationEdit->font(), frame->controlFont);
    EXPECT_EQ(frame->browseButton->geometry(), QRect(162, 225, 80, 30));
    EXPECT_EQ(frame->browseButton->text(), "browse");
    EXPECT_EQ(installer.installButton->geometry(), QRect(390, 225, 80, 30));
    EXPECT_EQ(installer.installButton->text(), "ok");
    EXPECT_EQ(installer.installButton->id(), 117);
    EXPECT_EQ(installer.installButton->CurrentPicture(), LoadPaletteBitmap(281));
    installer.installButton->setDown(true);
    EXPECT_EQ(installer.installButton->CurrentPicture(), LoadPaletteBitmap(283));
    installer.installButton->setDown(false);
    installer.installButton->setEnabled(false);
    EXPECT_EQ(installer.installButton->CurrentPicture(), LoadPaletteBitmap(283));
    EXPECT_EQ(frame->browseButton->CurrentPicture(), LoadPaletteBitmap(277));
    EXPECT_EQ(frame->toolWindowOpen, 0);

    frame->close();
    frame.reset();
    // Neither read nor written: there is no settings file anywhere.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path())) {
        EXPECT_NE(entry.path().filename(), "status.lst") << entry.path();
    }
}

TEST_F(InstallerScreenTest, ThePictureIsDrawnInItsOrder) {
    auto frame = Start();
    const QImage& screen = frame->offscreenPicture;
    ASSERT_GE(screen.width(), 501);

    // The gradient covers x 0 to 499 and y 0 to 299, from black to red 254.
    for (int x = 0; x < 500; ++x) {
        ASSERT_EQ(screen.pixel(x, 295), InstallerGradientColour(x)) << x;
    }
    EXPECT_EQ(screen.pixel(0, 295), qRgb(0, 0, 0));
    EXPECT_EQ(screen.pixel(499, 295), qRgb(254, 0, 0));
    EXPECT_NE(screen.pixel(500, 295), InstallerGradientColour(500));
    EXPECT_NE(screen.pixel(10, 300), InstallerGradientColour(10));

    // Left of the texts the picture lies on the gradient with its pure white left out; every
    // other colour, near-white ones too, is drawn as it is.
    const QImage picture = LoadPaletteBitmap(230);
    int drawn = 0;
    int left = 0;
    for (int y = 0; y < 210; ++y) {
        for (int x = 0; x < 50; ++x) {
            const QRgb colour = picture.pixel(x, y) | 0xff000000u;
            const QRgb expected = colour == kWhite ? InstallerGradientColour(x) : colour;
            ASSERT_EQ(screen.pixel(x, y + 20), expected) << x << "," << y;
            (colour == kWhite ? left : drawn) += 1;
        }
    }
    EXPECT_GT(drawn, 0);
    EXPECT_GT(left, 0);

    // Each text in its colour over its black shadow.
    EXPECT_TRUE(Shows(screen, QRect(52, 22, 300, 50), qRgb(0, 0, 255)));  // ZAVEL
    EXPECT_TRUE(Shows(screen, QRect(50, 20, 300, 50), qRgb(0, 0, 0)));
    EXPECT_TRUE(Shows(screen, QRect(52, 2, 250, 20), qRgb(0, 0, 255)));       // Installing
    EXPECT_TRUE(Shows(screen, QRect(50, 77, 420, 16), qRgb(0, 0, 128)));      // credit line
    EXPECT_TRUE(Shows(screen, QRect(150, 177, 250, 12), qRgb(192, 192, 0)));  // label

    // The grey frame of the field with its black outline.
    EXPECT_EQ(screen.pixel(150, 190), qRgb(0, 0, 0));
    EXPECT_EQ(screen.pixel(479, 259), qRgb(0, 0, 0));
    EXPECT_EQ(screen.pixel(151, 191), qRgb(192, 192, 192));
    EXPECT_EQ(screen.pixel(480, 260), InstallerGradientColour(480));

    // The window shows it: the paint step copies the picture.
    const QImage shown = frame->clientArea->grab().toImage();
    EXPECT_EQ(shown.pixel(10, 295), screen.pixel(10, 295));
    EXPECT_EQ(shown.pixel(300, 240), qRgb(192, 192, 192));
}

TEST_F(InstallerScreenTest, BrowseOpensTheChooserOnTheEditsFolderAndOkFillsTheEdit) {
    auto frame = Start();
    const std::string chosen = root / "apps";
    frame->destinationEdit->setText(QString::fromStdString(chosen));
    const auto choosers = [] {
        std::vector<ListEditorWindow*> open;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* found = dynamic_cast<ListEditorWindow*>(window);
                found && found->isVisible()) {
                open.push_back(found);
            }
        }
        return open;
    };
    QTest::mouseClick(frame->browseButton, Qt::LeftButton);
    ASSERT_EQ(choosers().size(), 1u);
    ListEditorWindow* chooser = choosers().front();
    EXPECT_EQ(chooser->mode, ListEditorWindow::kDirectoryMode);
    EXPECT_EQ(chooser->windowTitle().toStdString(), "Change Directory [" + chosen + "]");
    EXPECT_EQ(frame->toolWindowOpen, 1);
    // A second press opens nothing more.
    QTest::mouseClick(frame->browseButton, Qt::LeftButton);
    EXPECT_EQ(choosers().size(), 1u);
    EXPECT_EQ(frame->installer->destinationText, chosen);

    std::filesystem::create_directories(chosen + "/sub");
    chooser->ChangeAndList(chosen + "/sub");
    chooser->OnOk();
    EXPECT_EQ(frame->destinationEdit->text().toStdString(), chosen + "/sub");
    EXPECT_EQ(frame->toolWindowOpen, 0);
    EXPECT_EQ(frame->installer->destinationText, chosen + "/sub");
    EXPECT_TRUE(boxes.texts().empty());
}

}  // namespace
}  // namespace zavel
