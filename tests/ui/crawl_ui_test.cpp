// A crawl from end to end through the window: an address typed and added with Ctrl+A, the tree
// growing with its images, the status pane and the title following the crawl.
#include <QRegularExpression>

#include <chrono>
#include <set>
#include <thread>

#include "engine/page_fetcher.h"
#include "tests/ui/crawl_fixture.h"
#include "ui/resources.h"

namespace zavel {
namespace {

using test::CrawlUiTest;
using test::LinkPage;
using test::WaitUntil;

// Every page takes a little while, so that the window sees the crawl in the middle.
void ServeSlowly(test::LoopbackServer& server, const std::string& path, const std::string& body,
                 int status = 200) {
    server.http().Get(path, [body, status](const httplib::Request&, httplib::Response& response) {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        response.status = status;
        response.set_content(body, "text/html");
    });
}

class CrawlThroughTheWindow : public CrawlUiTest {
  protected:
    void ServeSite() {
        ServeSlowly(server, "/", LinkPage({"b.html", "pic.zip", "a.html", "missing.html"}));
        ServeSlowly(server, "/a.html", LinkPage({"c.html", "/"}));
        ServeSlowly(server, "/b.html", LinkPage({}));
        ServeSlowly(server, "/c.html", LinkPage({}));
        ServeSlowly(server, "/missing.html", "<html>404 Not Found</html>", 404);
    }
};

TEST_F(CrawlThroughTheWindow, TypedAddressCrawlsToTheEndWithImagesPaneAndTitle) {
    ServeSite();
    auto frame = StartCrawler();
    const std::string root = Address("/");
    TypeAndAdd(*frame, root);
    EXPECT_EQ(frame->addressEdit->text().toStdString(), root);  // Ctrl+A did not select it all
    EXPECT_EQ(frame->startScreenCleared, 1);
    EXPECT_FALSE(frame->tree->geometry().isEmpty());

    // While the crawl runs, the pane tells which record of how many is being fetched.
    std::set<std::string> panes;
    const QRegularExpression form(
        QStringLiteral("^[A-Za-z .]* %1.* \\((\\d+)/(\\d+)\\)$")
            .arg(QRegularExpression::escape(QString::fromStdString(server.host()))));
    ASSERT_TRUE(WaitUntil([&] {
        panes.insert(frame->statusPane->text().toStdString());
        return frame->engine->table().CrawlSettled() && frame->treePresenter->Idle();
    }));
    int progressTexts = 0;
    for (const std::string& pane : panes) {
        const auto match = form.match(QString::fromStdString(pane));
        if (match.hasMatch()) {
            ++progressTexts;
            EXPECT_LE(match.captured(1).toInt(), match.captured(2).toInt()) << pane;
            EXPECT_LE(match.captured(2).toInt(), 6) << pane;
        }
    }
    EXPECT_GE(progressTexts, 2) << "seen: " << panes.size() << " texts";
    EXPECT_EQ(frame->windowTitle().toStdString(), "ZAVEL [" + server.host() + "]");

    // One root; its children sorted (the built-in settings sort and show expanded).
    ASSERT_EQ(ChildTexts(*frame, nullptr), std::vector<std::string>{root});
    QTreeWidgetItem* top = Item(*frame, root);
    EXPECT_EQ(ChildTexts(*frame, top),
              (std::vector<std::string>{Address("/a.html"), Address("/b.html"),
                                        Address("/missing.html"), Address("/pic.zip")}));
    EXPECT_TRUE(top->isExpanded());
    QTreeWidgetItem* a = Item(*frame, Address("/a.html"));
    EXPECT_EQ(ChildTexts(*frame, a), std::vector<std::string>{Address("/c.html")});
    EXPECT_TRUE(a->isExpanded());
    const std::pair<std::string, int> images[] = {
        {"/", kImageFetched},
        {"/a.html", kImageFetched},
        {"/b.html", kImageFetched},
        {"/c.html", kImageFetched},
        {"/missing.html", kImageFailed},
        {"/pic.zip", kImageNotExpanded},
    };
    for (const auto& [path, image] : images) {
        EXPECT_EQ(Image(*frame, Item(*frame, Address(path))), image) << path;
    }
    EXPECT_EQ(frame->engine->table().Count(), 6);
    EXPECT_EQ(frame->treePresenter->ItemCount(), 6);
    // Adding changes no command state; nothing has been clicked.
    EXPECT_EQ(Commands(*frame), (std::vector<bool>{true, false, false, false, false}));
}

TEST_F(CrawlUiTest, EmptyTableShowsTheBannerAndLeavesTheTitleAlone) {
    auto frame = StartCrawler();
    const QString banner = LoadString(kIdleBannerString);
    ASSERT_EQ(banner.size(), 1020);
    EXPECT_TRUE(banner.startsWith("Zavel"));
    EXPECT_TRUE(banner.endsWith(" ."));
    EXPECT_EQ(frame->statusPane->text(), banner);
    EXPECT_EQ(frame->windowTitle(), "ZAVEL");
    // The banner does not widen the window.
    EXPECT_EQ(frame->frameGeometry().width(), 1024);
    EXPECT_LT(frame->statusPane->width(), 1024);

    // An Add of an empty address clears the start screen and adds nothing.
    frame->addressEdit->clear();
    frame->RunCommand(kCommandAdd);
    EXPECT_EQ(frame->startScreenCleared, 1);
    EXPECT_EQ(frame->engine->table().Count(), 0);
    WaitUntil([] { return false; }, 120);
    EXPECT_EQ(frame->statusPane->text(), banner);
    EXPECT_EQ(frame->windowTitle(), "ZAVEL");
}

TEST_F(CrawlUiTest, StatusBarSwitchHidesThePaneTextWhileTheTitleFollowsTheCrawl) {
    server.http().Get("/", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(LinkPage({"slow.html"}), "text/html");
    });
    server.http().Get("/slow.html", [this](const httplib::Request&, httplib::Response& response) {
        server.StallUntilStopped(3000);
        response.set_content(LinkPage({}), "text/html");
    });
    auto frame = StartCrawler();
    QAction* statusBarItem = frame->menu.action(kCommandStatusBar);
    frame->UpdateCommandStates();
    EXPECT_TRUE(statusBarItem->isChecked());

    statusBarItem->trigger();
    EXPECT_EQ(frame->statusBarOn, 0);
    EXPECT_FALSE(statusBarItem->isChecked());
    EXPECT_FALSE(frame->statusPane->isEnabled());
    EXPECT_TRUE(frame->statusPane->text().isEmpty());
    EXPECT_TRUE(frame->statusBar->isVisible());

    TypeAndAdd(*frame, Address("/"));
    // The crawl stalls on slow.html: the title follows, the pane stays empty.
    ASSERT_TRUE(WaitUntil([&] { return frame->windowTitle().contains(server.host().c_str()); }));
    ASSERT_TRUE(WaitUntil([&] {
        return frame->engine->table().currentRecord.load() != nullptr &&
               frame->engine->table().currentRecord.load()->file == "/slow.html";
    }));
    WaitUntil([] { return false; }, 120);
    EXPECT_TRUE(frame->statusPane->text().isEmpty());

    statusBarItem->trigger();
    EXPECT_EQ(frame->statusBarOn, 1);
    EXPECT_TRUE(frame->statusPane->isEnabled());
    EXPECT_TRUE(frame->statusPane->text().endsWith(
        QString::fromStdString(" " + Address("/slow.html") + " (1/2)")))
        << frame->statusPane->text().toStdString();
}

}  // namespace
}  // namespace zavel
