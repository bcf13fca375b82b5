// The off-screen picture after start-up, sampled pixel by pixel.
#include "ui/backdrop.h"
#include "tests/ui/ui_fixture.h"
#include "ui/resources.h"

namespace zavel {
namespace {

using test::UiTest;

class BackdropTest : public UiTest {
  protected:
    void SetUp() override {
        Install();
        frame = Start();
        picture = frame->offscreenPicture;
        full = FullScreenSize();
    }
    QRgb At(int x, int y) const { return picture.pixel(x, y) | 0xff000000u; }

    std::unique_ptr<MainFrame> frame;
    QImage picture;
    QSize full;
};

TEST_F(BackdropTest, PictureIsAsLargeAsTheDisplay) {
    EXPECT_EQ(picture.size(), QSize(1280, 1024));
    EXPECT_EQ(frame->screenRect, QRect(0, 0, 1280, 1024));
    EXPECT_EQ(full, QSize(1280, 1024));
}

TEST_F(BackdropTest, BandWithItsOutlineAndTheSecondLineUnderIt) {
    for (int x : {0, 300, 1000, 1279}) {
        EXPECT_EQ(At(x, 0), kBlack) << x;    // the band's top edge
        EXPECT_EQ(At(x, 99), kBlack) << x;   // its bottom edge
        EXPECT_EQ(At(x, 100), kBlack) << x;  // the white area's top edge
    }
    for (int y : {1, 50, 98}) {
        EXPECT_EQ(At(0, y), kBlack) << y;  // the band's left edge
        EXPECT_EQ(At(1000, y), kLightGrey) << y;
        EXPECT_EQ(At(1279, y), kLightGrey) << y;
    }
}

TEST_F(BackdropTest, GradientRunsFromBlackToYellowAcrossTheFullScreenWidth) {
    EXPECT_EQ(GradientColour(0, 1280), qRgb(0, 0, 0));
    EXPECT_EQ(GradientColour(640, 1280), qRgb(127, 127, 0));
    EXPECT_EQ(GradientColour(1279, 1280), qRgb(254, 254, 0));
    for (int x : {0, 1, 5, 320, 640, 1023, 1279}) {
        for (int y : {101, 700, 1023}) {
            EXPECT_EQ(At(x, y), GradientColour(x, full.width())) << x << "," << y;
        }
    }
}

TEST_F(BackdropTest, LabelsAreBlackOnTheBand) {
    int black = 0;
    int other = 0;
    for (int y = 15; y < 30; ++y) {
        for (int x = 5; x < 70; ++x) {
            const QRgb c = At(x, y);
            black += c == kBlack ? 1 : 0;
            // Only black, the band's grey and the shades between them.
            other += (qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) <= 192) ? 0 : 1;
        }
    }
    EXPECT_GT(black, 20);
    EXPECT_EQ(other, 0);
}

TEST_F(BackdropTest, StartPictureLandsWithoutItsWhitePixels) {
    // The resource as stored: 187 x 214, 256 colours.
    const QImage stored(QStringLiteral(":/bitmap/230"));
    ASSERT_EQ(stored.size(), QSize(187, 214));
    EXPECT_EQ(stored.format(), QImage::Format_Indexed8);
    EXPECT_EQ(stored.colorCount(), 256);

    const QImage bitmap = LoadPaletteBitmap(kStartPictureId);
    int white = 0;
    int nearWhite = 0;
    // Columns left of the title block, whose texts start at x 200.
    for (int x = 0; x < 140; ++x) {
        for (int y = 0; y < 210; ++y) {
            const QRgb p = bitmap.pixel(x, y) | 0xff000000u;
            const QRgb shown = At(x + 50, y + 150);
            if (p == kWhite) {
                ++white;
                ASSERT_EQ(shown, GradientColour(x + 50, full.width())) << x << "," << y;
            } else {
                nearWhite += std::min({qRed(p), qGreen(p), qBlue(p)}) >= 240 ? 1 : 0;
                ASSERT_EQ(shown, p) << x << "," << y;
            }
        }
    }
    EXPECT_GT(white, 1000);
    EXPECT_GT(nearWhite, 0);
}

TEST_F(BackdropTest, TitleBlockIsDrawnTransparentlyWithItsShadowsAndSetsTheLinkAreas) {
    int red = 0;
    int black = 0;
    for (int y = 200; y < 260; ++y) {
        for (int x = 200; x < 700; ++x) {
            red += At(x, y) == kRed ? 1 : 0;
            black += At(x, y) == kBlack ? 1 : 0;
        }
    }
    EXPECT_GT(red, 500);
    EXPECT_GT(black, 50);
    // Blue link text inside each link area.
    for (const QRect& area : {frame->mailLinkRect, frame->webLinkRect}) {
        int blue = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                blue += At(x, y) == kBlue ? 1 : 0;
            }
        }
        EXPECT_GT(blue, 30);
    }
    EXPECT_EQ(frame->mailLinkRect, QRect(610, 380, 245, 20));
    EXPECT_EQ(frame->webLinkRect, QRect(150, 400, 170, 20));
    EXPECT_EQ(frame->memoryDC->bkMode(), BackgroundMode::kTransparent);
    EXPECT_EQ(frame->memoryDC->font(), frame->controlFont);
}

TEST(MemoryDC, OpaqueLabelsFillTheirCellAndTransparentTextDoesNot) {
    QImage picture(200, 40, QImage::Format_RGB32);
    picture.fill(kWhite);
    MemoryDC dc(picture);
    dc.SelectFont(ControlFont());
    int width = 0;
    int height = 0;
    PaintBackdrop(dc, width, height);  // leaves black on light grey, opaque
    dc.Rectangle(0, 0, 200, 40, kWhite, kWhite);
    DrawLabel(dc, QStringLiteral("Address:"), 10, 10);
    EXPECT_EQ(picture.pixel(10, 10) | 0xff000000u, kLightGrey);  // the cell's corner
    EXPECT_EQ(picture.pixel(9, 10) | 0xff000000u, kWhite);
    dc.SetBkMode(BackgroundMode::kTransparent);
    dc.Rectangle(0, 0, 200, 40, kWhite, kWhite);
    DrawLabel(dc, QStringLiteral("Address:"), 10, 10);
    EXPECT_EQ(picture.pixel(10, 10) | 0xff000000u, kWhite);
}

TEST(MemoryDC, RectangleOutlinesItsOuterPixelsAndFillsTheInside) {
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(kWhite);
    MemoryDC dc(picture);
    dc.Rectangle(2, 2, 7, 6, kBlack, kLightGrey);
    EXPECT_EQ(dc.GetPixel(2, 2), kBlack);
    EXPECT_EQ(dc.GetPixel(6, 5), kBlack);
    EXPECT_EQ(dc.GetPixel(3, 3), kLightGrey);
    EXPECT_EQ(dc.GetPixel(5, 4), kLightGrey);
    EXPECT_EQ(dc.GetPixel(7, 4), kWhite);
    EXPECT_EQ(dc.GetPixel(4, 6), kWhite);
}

}  // namespace
}  // namespace zavel
