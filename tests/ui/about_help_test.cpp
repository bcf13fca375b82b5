// The About panel, the help viewer (the menu command and F1 from any control) and the start
// screen's two contact lines: the cursor over them and the programs a click starts.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "lists/embedded_text.h"
#include "platform/help_file.h"
#include "platform/shell.h"
#include "tests/ui/crawl_fixture.h"
#include "ui/about_panel.h"
#include "ui/branding.h"
#include "ui/help_viewer.h"
#include "ui/resources.h"

namespace zavel {
namespace {

using test::CrawlUiTest;
using test::UiTest;
using test::WaitUntil;

constexpr QRgb kPanelFace = 0xffc0c0c0u;

// The colours found in a rectangle of a picture, with how often each occurs.
std::map<QRgb, int> Colours(const QImage& picture, const QRect& area) {
    std::map<QRgb, int> found;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ++found[picture.pixel(x, y) | 0xff000000u];
        }
    }
    return found;
}

// How many windows of a kind the main window owns.
template <typename Window>
int Owned(const MainFrame& frame) {
    int count = 0;
    for (QWidget* child : frame.findChildren<QWidget*>()) {
        count += dynamic_cast<Window*>(child) != nullptr ? 1 : 0;
    }
    return count;
}

int Count(const std::map<QRgb, int>& colours, QRgb colour) {
    const auto found = colours.find(colour);
    return found == colours.end() ? 0 : found->second;
}

TEST(DialogUnits, MsSansSerifEightPointBaseUnits) {
    // 6 x 13 pixels per 4 x 8 units, rounded to the nearest with halves away from zero.
    EXPECT_EQ(DialogUnitsToPixelsX(316), 474);
    EXPECT_EQ(DialogUnitsToPixelsY(149), 242);
    EXPECT_EQ(DialogUnitsToPixelsX(251), 377);  // 376.5
    EXPECT_EQ(DialogUnitsToPixelsY(14), 23);    // 22.75
    EXPECT_EQ(DialogUnitsToPixelsX(49), 74);    // 73.5
    EXPECT_EQ(DialogUnitsToPixelsX(17), 26);    // 25.5
    EXPECT_EQ(DialogUnitsToPixelsY(16), 26);
}

TEST(AboutStrings, TheTableAndTheBrandingAgree) {
    EXPECT_EQ(LoadString(103), QStringLiteral("ZAVEL"));
    EXPECT_EQ(LoadString(102), QStringLiteral("Version 2.105"));
    EXPECT_EQ(LoadString(100), ProductCopyright());
    EXPECT_EQ(LoadString(106), QStringLiteral("For additional information about ZAVEL:"));
    EXPECT_EQ(LoadString(107), QStringLiteral("E-Mail: ") + MakerMailAddress());
    EXPECT_EQ(LoadString(108), QStringLiteral("Web Page: ") + ProductWebAddress());
    EXPECT_EQ(LoadString(109), QStringLiteral("Phone: ") + MakerPhoneNumber());
    EXPECT_EQ(LoadString(110), QStringLiteral(" "));
    EXPECT_EQ(LoadString(111), QStringLiteral(" "));
    EXPECT_TRUE(LoadString(101).isEmpty());
    // The start screen's file-backed strings are still there.
    EXPECT_FALSE(LoadString(kIdleBannerString).isEmpty());
}

class AboutPanelTest : public UiTest {
  protected:
    void SetUp() override {
        Install();
        frame = Start();
    }
    std::unique_ptr<MainFrame> frame;
};

TEST_F(AboutPanelTest, ScreenshotGeometryAndTheDrawnTexts) {
    AboutPanel panel(frame.get());
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("About Zavel..."));
    EXPECT_TRUE(panel.isModal());
    EXPECT_EQ(panel.size(), QSize(474, 242));
    EXPECT_EQ(panel.minimumSize(), panel.maximumSize());
    EXPECT_EQ(panel.okButton()->geometry(), QRect(377, 23, 74, 23));
    EXPECT_EQ(panel.okButton()->text(), QStringLiteral("OK"));
    EXPECT_TRUE(panel.okButton()->isDefault());
    EXPECT_EQ(panel.okButton()->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    EXPECT_EQ(panel.iconControl()->geometry(), QRect(26, 26, 32, 32));
    EXPECT_FALSE(panel.iconControl()->pixmap().isNull());

    const QImage shot = panel.grab().toImage();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(ZAVEL_SCREENSHOT_DIR)));
    ASSERT_TRUE(shot.save(QStringLiteral(ZAVEL_SCREENSHOT_DIR "/about-panel.png")));
    ASSERT_EQ(shot.size(), QSize(474, 242));

    // Each text in its colour with its black copy; the face shows between the letters.
    const struct {
        QRect area;
        QRgb colour;
    } rows[] = {
        {{70, 30, 60, 14}, qRgb(255, 0, 0)},      // 103, bold
        {{70, 50, 260, 14}, qRgb(0, 255, 0)},     // 100
        {{70, 65, 140, 14}, qRgb(0, 255, 0)},     // 102
        {{70, 105, 330, 11}, qRgb(255, 255, 0)},  // 106, thin
        {{70, 125, 230, 11}, qRgb(255, 255, 0)},  // 107
        {{70, 137, 230, 11}, qRgb(255, 255, 0)},  // 108
        {{70, 149, 230, 11}, qRgb(255, 255, 0)},  // 109
    };
    for (const auto& row : rows) {
        const auto colours = Colours(shot, row.area);
        EXPECT_GT(Count(colours, row.colour), 10) << row.area.y();
        EXPECT_GT(Count(colours, 0xff000000u), 10) << row.area.y();
        EXPECT_GT(Count(colours, kPanelFace), 50) << row.area.y();
    }
    // Rows 111 and 110 are single blanks: nothing shows there, nor left of the texts.
    EXPECT_EQ(Colours(shot, QRect(60, 161, 400, 35)),
              (std::map<QRgb, int>{{kPanelFace, 400 * 35}}));
    EXPECT_EQ(Count(Colours(shot, QRect(0, 60, 69, 180)), kPanelFace), 69 * 180);
    // The red title starts one pixel right of its shadow: its first column is black.
    const auto firstColumn = Colours(shot, QRect(70, 30, 1, 14));
    EXPECT_EQ(Count(firstColumn, qRgb(255, 0, 0)), 0);
}

TEST_F(AboutPanelTest, TheCommandShowsThePanelModallyUntilOkCloses) {
    bool seen = false;
    QString caption;
    bool modal = false;
    // The panel runs its own loop: look at it from there and press its default button.
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* panel = dynamic_cast<AboutPanel*>(QApplication::activeModalWidget());
        if (panel == nullptr || !panel->isVisible()) {
            return;
        }
        seen = true;
        caption = panel->windowTitle();
        modal = panel->isModal() && panel->parentWidget() == frame.get();
        QTest::keyClick(panel, Qt::Key_Return);
    });
    poll.start();
    // Tied to the poll timer, so that it cannot outlive this test.
    QTimer::singleShot(5000, &poll, [] {
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            stuck->close();  // the test fails below rather than hanging
        }
    });
    frame->menu.action(kCommandAbout)->trigger();
    poll.stop();
    EXPECT_TRUE(seen);
    EXPECT_EQ(caption, QStringLiteral("About Zavel..."));
    EXPECT_TRUE(modal);
    // Each command builds its own panel and destroys it.
    EXPECT_EQ(Owned<AboutPanel>(*frame), 0);
    EXPECT_TRUE(boxes.texts().empty());
}

class HelpTest : public CrawlUiTest {
  protected:
    // A help file of the program's own text where the test chooses.
    std::string WriteHelpFile() {
        const std::string path = root / "apps/ZAVEL/zavel.hlp";
        test::WriteFileBytes(path, std::string(EmbeddedText(905)));
        return path;
    }
};

TEST_F(HelpTest, F1FromAnyControlOpensTheOneViewerAtTopic100) {
    auto frame = StartCrawler();
    frame->helpFile = WriteHelpFile();
    QUrl topic = QUrl::fromLocalFile(QString::fromStdString(frame->helpFile));
    topic.setFragment(QStringLiteral("100"));

    frame->addressEdit->setFocus();
    QTest::keyClick(frame->addressEdit, Qt::Key_F1);
    ASSERT_NE(frame->helpViewer, nullptr);
    HelpViewer* viewer = frame->helpViewer;
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->isWindow());
    EXPECT_EQ(viewer->parentWidget(), frame.get());
    EXPECT_EQ(viewer->source(), topic);
    EXPECT_TRUE(viewer->report().isEmpty());
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("How to use ZAVEL"));
    EXPECT_TRUE(viewer->toPlainText().contains(QStringLiteral("Get and copy")));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer));
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(ZAVEL_SCREENSHOT_DIR)));
    ASSERT_TRUE(
        viewer->grab().toImage().save(QStringLiteral(ZAVEL_SCREENSHOT_DIR "/help-viewer.png")));

    // Followed elsewhere and closed, F1 from another control brings the same window back
    // at the topic.
    viewer->scrollToAnchor(QStringLiteral("install"));
    viewer->close();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    for (QWidget* control :
         std::initializer_list<QWidget*>{frame->tree, frame->copyRadio, frame->fileTypeEdit}) {
        control->setFocus();
        QTest::keyClick(control, Qt::Key_F1);
        EXPECT_EQ(frame->helpViewer, viewer);
        EXPECT_TRUE(viewer->isVisible());
        EXPECT_EQ(viewer->source(), topic);
        viewer->close();
    }
    EXPECT_EQ(Owned<HelpViewer>(*frame), 1);

    // A changed file is read again.
    test::WriteFileBytes(frame->helpFile,
                         "<html><head><title>Changed</title></head><body><a name=\"100\"></a>"
                         "New text</body></html>");
    frame->menu.action(kCommandHelp)->trigger();
    EXPECT_EQ(viewer->toPlainText().trimmed(), QStringLiteral("New text"));
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(HelpTest, AMissingOrUnreadableHelpFileIsReportedInTheViewer) {
    auto frame = StartCrawler();
    // This test program's own help file, which nobody made.
    EXPECT_EQ(frame->helpFile, platform::HelpFilePath(platform::ProgramFile()));
    ASSERT_FALSE(std::filesystem::exists(frame->helpFile));
    frame->RunCommand(kCommandHelp);
    ASSERT_NE(frame->helpViewer, nullptr);
    EXPECT_TRUE(frame->helpViewer->isVisible());
    const QString shown = frame->helpViewer->toPlainText();
    EXPECT_TRUE(shown.contains(QString::fromStdString(frame->helpFile))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("could not be opened"))) << shown.toStdString();
    EXPECT_FALSE(frame->helpViewer->report().isEmpty());

    // A folder in its place, then a real file again: the report goes.
    frame->helpFile = root / "folder.hlp";
    std::filesystem::create_directories(frame->helpFile);
    frame->RunCommand(kCommandHelp);
    EXPECT_TRUE(frame->helpViewer->toPlainText().contains(QStringLiteral("not a file")));
    frame->helpFile = WriteHelpFile();
    frame->RunCommand(kCommandHelp);
    EXPECT_TRUE(frame->helpViewer->report().isEmpty());
    EXPECT_TRUE(frame->helpViewer->toPlainText().contains(QStringLiteral("How to use ZAVEL")));
    EXPECT_TRUE(boxes.texts().empty());
}

TEST(HelpFileOfTheBuild, LiesBesideTheBuiltProgram) {
    const std::string help = platform::HelpFilePath(ZAVEL_PROGRAM_DIR "/zavel");
    ASSERT_TRUE(std::filesystem::exists(help)) << help;
    EXPECT_EQ(test::ReadFileBytes(help), std::string(EmbeddedText(905)));
}

// The contact lines: a desktop with a mail handler and a browser of the test's own, whose
// starts are recorded.
class ContactLinesTest : public CrawlUiTest {
  protected:
    ContactLinesTest() {
        test::WriteFileBytes(dataHome + "/applications/test-mailer.desktop",
                             "[Desktop Entry]\nType=Application\nName=Mail\n"
                             "Exec=\"/opt/Test Mail/mailer\" /mailurl:%u\n");
        test::WriteFileBytes(root / "config/mimeapps.list",
                             "[Default Applications]\ntext/html=test-browser.desktop\n"
                             "x-scheme-handler/mailto=test-mailer.desktop\n");
    }

    void SetUp() override {
        frame = StartCrawler();
        area = frame->clientArea;
    }

    void ClickAt(QPoint point) { QTest::mouseClick(area, Qt::LeftButton, {}, point); }
    // One movement of the pointer to `point`, no button held.
    void MoveTo(QPoint point) {
        QMouseEvent move(QEvent::MouseMove, point, area->mapToGlobal(point), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(area, &move);
    }
    Qt::CursorShape Shape() const { return area->cursor().shape(); }

    std::unique_ptr<MainFrame> frame;
    QWidget* area = nullptr;
    const std::vector<std::string> mail{"/opt/Test Mail/mailer",
                                        "/mailurl:mailto:" + MakerMailAddress().toStdString()};
    const std::vector<std::string> web{"test-browser", "--new",
                                       "http://" + ProductWebAddress().toStdString()};
};

TEST_F(ContactLinesTest, ClicksOnTheEdgesStartTheMailProgramOrTheBrowser) {
    const struct {
        QPoint at;
        int which;  // 0 nothing, 1 mail, 2 web
    } table[] = {
        {{610, 380}, 1}, {{854, 399}, 1}, {{700, 390}, 1},  // left and top edges inside
        {{855, 390}, 0}, {{700, 400}, 0}, {{609, 390}, 0},  // right and bottom outside
        {{700, 379}, 0},                                    //
        {{150, 400}, 2}, {{319, 419}, 2}, {{230, 410}, 2},  //
        {{320, 410}, 0}, {{230, 420}, 0}, {{149, 410}, 0}, {{230, 399}, 0},
    };
    for (const auto& row : table) {
        const std::size_t before = started().size();
        ClickAt(row.at);
        const auto now = started();
        if (row.which == 0) {
            EXPECT_EQ(now.size(), before) << row.at.x() << "," << row.at.y();
        } else {
            ASSERT_EQ(now.size(), before + 1) << row.at.x() << "," << row.at.y();
            EXPECT_EQ(now.back(), row.which == 1 ? mail : web) << row.at.x() << "," << row.at.y();
        }
    }
    // Only the left button.
    const std::size_t before = started().size();
    QTest::mouseClick(area, Qt::RightButton, {}, QPoint(700, 390));
    EXPECT_EQ(started().size(), before);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(ContactLinesTest, TheCursorChangesOverTheLinesAndOnlyWhenItDiffers) {
    int changes = 0;
    struct Counter : QObject {
        int* changes;
        explicit Counter(int* c) : changes(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            *changes += event->type() == QEvent::CursorChange ? 1 : 0;
            return false;
        }
    } counter(&changes);
    area->installEventFilter(&counter);

    MoveTo({100, 200});
    EXPECT_EQ(Shape(), Qt::ArrowCursor);
    EXPECT_EQ(changes, 0);
    MoveTo({610, 380});
    EXPECT_EQ(Shape(), Qt::BitmapCursor);  // cursor 215
    EXPECT_EQ(area->cursor().pixmap().toImage(), LinkCursor().pixmap().toImage());
    MoveTo({700, 399});
    EXPECT_EQ(changes, 1);
    MoveTo({855, 390});
    EXPECT_EQ(Shape(), Qt::ArrowCursor);
    MoveTo({150, 419});
    EXPECT_EQ(Shape(), Qt::BitmapCursor);
    MoveTo({320, 419});
    MoveTo({330, 430});
    EXPECT_EQ(Shape(), Qt::ArrowCursor);
    EXPECT_EQ(changes, 4);
    area->removeEventFilter(&counter);
}

TEST_F(ContactLinesTest, DeadAfterTheFirstAdd) {
    MoveTo({700, 390});
    ASSERT_EQ(Shape(), Qt::BitmapCursor);
    // An empty address adds nothing but clears the start screen all the same.
    TypeAndAdd(*frame, "");
    ASSERT_EQ(frame->startScreenCleared, 1);
    EXPECT_EQ(Shape(), Qt::ArrowCursor);
    MoveTo({700, 390});
    MoveTo({200, 410});
    EXPECT_EQ(Shape(), Qt::ArrowCursor);
    ClickAt({700, 390});
    ClickAt({200, 410});
    EXPECT_TRUE(started().empty());
}

TEST_F(ContactLinesTest, WithoutHandlersAClickStartsNothingAndSaysNothing) {
    test::WriteFileBytes(root / "config/mimeapps.list", "[Default Applications]\n");
    std::filesystem::remove(dataHome + "/applications/test-mailer.desktop");
    std::filesystem::remove(dataHome + "/applications/test-browser.desktop");
    ClickAt({700, 390});
    ClickAt({200, 410});
    EXPECT_TRUE(started().empty());
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(UiTest, TheInstallScreenHasNoContactLines) {
    auto frame = Start();
    ASSERT_EQ(frame->installMode, 1);
    const Qt::CursorShape before = frame->clientArea->cursor().shape();
    std::vector<std::vector<std::string>> started;
    auto previous = platform::SetProgramStarter([&](const std::vector<std::string>& argv) {
        started.push_back(argv);
        return true;
    });
    for (QPoint at : {QPoint(610, 380), QPoint(700, 390), QPoint(150, 400), QPoint(200, 410)}) {
        frame->OnMouseMove(at);
        frame->OnLButtonDown(at);
    }
    platform::SetProgramStarter(previous);
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(frame->clientArea->cursor().shape(), before);
}

}  // namespace
}  // namespace zavel
