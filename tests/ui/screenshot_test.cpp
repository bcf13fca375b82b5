// Pictures saved into the build folder (screenshots/) so that anyone can look at them: the main
// window right after start-up and in the middle of a crawl, and the installer.
#include <QDir>

#include <atomic>

#include "lists/settings_file.h"
#include "tests/ui/crawl_fixture.h"

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

// The window in the middle of a crawl (screenshots/mid-crawl.png): items in all five states,
// one page still being received, a held branch marked by the last Stop.
class MidCrawlScreenshot : public test::CrawlUiTest {};

TEST_F(MidCrawlScreenshot, ScreenshotOfTheWindowInTheMiddleOfACrawl) {
    std::atomic<bool> stalled{false};
    server.Serve("/", test::LinkPage({"docs/", "news.html", "files/report.pdf", "gone.html",
                                      "slow.html", "team.html"}));
    server.Serve("/docs/", test::LinkPage({"intro.html", "setup.html", "faq.html"}));
    server.Serve("/news.html", test::LinkPage({"news/2024.html", "news/2025.html"}));
    server.Serve("/gone.html", "<html>404 not found</html>", 404);
    for (const char* page : {"/docs/intro.html", "/docs/setup.html", "/docs/faq.html",
                             "/news/2024.html", "/news/2025.html"}) {
        server.Serve(page, test::LinkPage({}));
    }
    server.Serve("/team.html", test::LinkPage({"team/ann.html", "team/bob.html"}));
    server.http().Get("/slow.html", [&](const httplib::Request&, httplib::Response& response) {
        stalled = true;
        server.StallUntilStopped(5000);
        response.set_content("late", "text/html");
    });
    auto frame = StartCrawler(std::string(DefaultSettingsFile()));
    TypeAndAdd(*frame, Address("/"));
    // The pages after the current one are fetched ahead: the stall counts once the worker
    // itself waits for it.
    ASSERT_TRUE(test::WaitUntil([&] {
        const LinkRecord* current = frame->engine->table().currentRecord.load();
        return stalled.load() && current != nullptr &&
               current->DisplayText().ends_with("slow.html");
    }));
    ShowReported(*frame);
    // Hold the team pages behind the stalled one.
    QTreeWidgetItem* team = Item(*frame, Address("/team.html"));
    ASSERT_NE(team, nullptr);
    Click(*frame, team);
    frame->OnStop();
    ASSERT_TRUE(test::WaitUntil([&] { return frame->engine->table().CrawlSettled(); }));
    // Stalled again on the page the new worker takes up, so the pane shows a fetch.
    test::WaitUntil([] { return false; }, 150);
    ShowReported(*frame);
    Click(*frame, Item(*frame, Address("/docs/")));
    test::WaitUntil([] { return false; }, 100);

    const QImage shot = frame->grab().toImage();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral(ZAVEL_SCREENSHOT_DIR)));
    const QString path = QStringLiteral(ZAVEL_SCREENSHOT_DIR "/mid-crawl.png");
    ASSERT_TRUE(shot.save(path));
    EXPECT_EQ(QImage(path).size(), frame->size());
    EXPECT_GE(frame->treePresenter->ItemCount(), 12);
}

}  // namespace
}  // namespace zavel
