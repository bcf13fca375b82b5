// The paint step and the layout: every control where the table puts it for the window's
// outer size, at any size, and the start screen cleared at the first Add.
#include <QCoreApplication>

#include "tests/ui/ui_fixture.h"
#include "ui/backdrop.h"
#include "ui/control_layout.h"

namespace zavel {
namespace {

using test::UiTest;

TEST(ControlLayout, TableAtTheBuiltSize) {
    const ControlLayout l = LayoutFor(1024, 700);
    EXPECT_EQ(l.tree, QRect(15, 110, 984, 510));
    EXPECT_EQ(l.addButton, QRect(599, 5, 80, 30));
    EXPECT_EQ(l.removeButton, QRect(681, 5, 80, 30));
    EXPECT_EQ(l.expandButton, QRect(763, 5, 80, 30));
    EXPECT_EQ(l.stopButton, QRect(845, 5, 80, 30));
    EXPECT_EQ(l.saveAsButton, QRect(927, 5, 80, 30));
    EXPECT_EQ(l.browseButton, QRect(927, 35, 80, 30));
    EXPECT_EQ(l.addressEdit, QRect(80, 12, 519, 20));
    EXPECT_EQ(l.getRadio, QRect(5, 42, 70, 20));
    EXPECT_EQ(l.copyRadio, QRect(5, 67, 70, 20));
    EXPECT_EQ(l.rewriteCheck, QRect(80, 42, 80, 20));
    EXPECT_EQ(l.sortCheck, QRect(170, 42, 55, 20));
    EXPECT_EQ(l.copyDirectoryCheck, QRect(235, 42, 135, 20));
    EXPECT_EQ(l.showExpandedCheck, QRect(380, 42, 145, 20));
    EXPECT_EQ(l.foreignLevelEdit, QRect(400, 67, 30, 20));
    EXPECT_EQ(l.maxLevelEdit, QRect(670, 67, 40, 20));
    EXPECT_EQ(l.destinationEdit, QRect(730, 40, 189, 20));
    EXPECT_EQ(l.fileTypeEdit, QRect(800, 67, 204, 20));
}

TEST(ControlLayout, WiderWindowMovesOnlyTheRightHandSide) {
    const ControlLayout narrow = LayoutFor(1024, 700);
    const ControlLayout wide = LayoutFor(1400, 900);
    for (auto member :
         {&ControlLayout::addButton, &ControlLayout::removeButton, &ControlLayout::expandButton,
          &ControlLayout::stopButton, &ControlLayout::saveAsButton, &ControlLayout::browseButton}) {
        EXPECT_EQ(wide.*member, (narrow.*member).translated(376, 0));
    }
    for (auto member : {&ControlLayout::addressEdit, &ControlLayout::destinationEdit,
                        &ControlLayout::fileTypeEdit}) {
        EXPECT_EQ((wide.*member).left(), (narrow.*member).left());
        EXPECT_EQ((wide.*member).right(), (narrow.*member).right() + 376);
    }
    for (auto member : {&ControlLayout::getRadio, &ControlLayout::copyRadio,
                        &ControlLayout::rewriteCheck, &ControlLayout::sortCheck,
                        &ControlLayout::copyDirectoryCheck, &ControlLayout::showExpandedCheck,
                        &ControlLayout::foreignLevelEdit, &ControlLayout::maxLevelEdit}) {
        EXPECT_EQ(wide.*member, narrow.*member);
    }
    EXPECT_EQ(wide.tree, QRect(15, 110, 1360, 710));
}

TEST(ControlLayout, VeryNarrowWindowGivesNoRoomButMovesNothingElse) {
    const ControlLayout l = LayoutFor(120, 90);
    EXPECT_EQ(l.tree, QRect(15, 110, 80, 0));
    EXPECT_EQ(l.addressEdit, QRect(80, 12, 0, 20));
    EXPECT_EQ(l.destinationEdit, QRect(730, 40, 0, 20));
    EXPECT_EQ(l.fileTypeEdit, QRect(800, 67, 0, 20));
    EXPECT_EQ(l.addButton, QRect(-305, 5, 80, 30));
    EXPECT_EQ(l.browseButton, QRect(23, 35, 80, 30));
    EXPECT_EQ(l.getRadio, QRect(5, 42, 70, 20));
}

// The window's controls against the table, for the outer size it has now.
void ExpectPlaced(const MainFrame& f) {
    const QSize outer = f.frameGeometry().size();
    const ControlLayout l = LayoutFor(outer.width(), outer.height());
    EXPECT_EQ(f.addButton->geometry(), l.addButton);
    EXPECT_EQ(f.saveAsButton->geometry(), l.saveAsButton);
    EXPECT_EQ(f.browseButton->geometry(), l.browseButton);
    EXPECT_EQ(f.addressEdit->geometry(), l.addressEdit);
    EXPECT_EQ(f.destinationEdit->geometry(), l.destinationEdit);
    EXPECT_EQ(f.fileTypeEdit->geometry(), l.fileTypeEdit);
    EXPECT_EQ(f.maxLevelEdit->geometry(), l.maxLevelEdit);
    EXPECT_EQ(f.showExpandedCheck->geometry(), l.showExpandedCheck);
    EXPECT_EQ(f.layoutWidth, outer.width());
    EXPECT_EQ(f.layoutHeight, outer.height());
}

TEST_F(UiTest, ControlsFollowTheWindowsOuterSizeAtAnySize) {
    Install();
    auto frame = Start();
    ExpectPlaced(*frame);
    for (const QSize& outer : {QSize(1200, 800), QSize(700, 500), QSize(160, 120)}) {
        frame->SetOuterGeometry(QRect(QPoint(0, 0), outer));
        ASSERT_TRUE(test::WaitUntil([&] { return frame->frameGeometry().size() == outer; }))
            << outer.width();
        QCoreApplication::processEvents();
        ExpectPlaced(*frame);
        EXPECT_TRUE(frame->tree->geometry().isEmpty());  // the start screen still shows
    }
}

TEST_F(UiTest, PaintStepShowsTheTopLeftOfThePicture) {
    Install();
    auto frame = Start();
    const QImage shown = frame->clientArea->grab().toImage();
    // Points that no control covers: the band's right end, the gradient, the title.
    for (const QPoint& p :
         {QPoint(1010, 80), QPoint(5, 95), QPoint(300, 110), QPoint(700, 560), QPoint(250, 230)}) {
        EXPECT_EQ(shown.pixel(p) | 0xff000000u, frame->offscreenPicture.pixel(p) | 0xff000000u)
            << p.x() << "," << p.y();
    }
}

TEST_F(UiTest, ClearingTheStartAreaLeavesTheBandAndPlacesTheTree) {
    Install();
    auto frame = Start();
    const QImage before = frame->offscreenPicture.copy();
    frame->startScreenCleared = 1;  // as the first Add sets it
    frame->ClearStartArea();
    const QImage& after = frame->offscreenPicture;
    for (int y : {0, 15, 50, 99, 100}) {
        for (int x : {0, 8, 20, 90, 500, 1279}) {
            EXPECT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
    }
    const int width = FullScreenSize().width();
    for (const QPoint& p : {QPoint(100, 200), QPoint(250, 220), QPoint(700, 390)}) {
        EXPECT_EQ(after.pixel(p) | 0xff000000u, GradientColour(p.x(), width));
    }
    const QSize outer = frame->frameGeometry().size();
    EXPECT_EQ(frame->tree->geometry(), QRect(15, 110, outer.width() - 40, outer.height() - 190));
}

TEST_F(UiTest, PaintBeforeTheBuildDoesNothing) {
    Install();
    MainFrame frame;
    ASSERT_EQ(frame.memoryDC, nullptr);
    const QImage shown = frame.clientArea->grab().toImage();
    EXPECT_EQ(shown.pixel(10, 10) | 0xff000000u, kWhite);
    EXPECT_EQ(frame.layoutWidth, 0);
}

}  // namespace
}  // namespace zavel
