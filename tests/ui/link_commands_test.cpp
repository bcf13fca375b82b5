// Stop, Expand and Remove from the window in the middle of a crawl of a server that stalls on
// one page: the records they change, the tree, and the command states on buttons and flags.
#include <QApplication>
#include <QTest>

#include <atomic>

#include "tests/ui/crawl_fixture.h"

namespace zavel {
namespace {

using test::CrawlUiTest;
using test::LinkPage;
using test::WaitUntil;

const std::vector<bool> kFreshClick{true, true, false, true, true};  // nothing held
const std::vector<bool> kAllHeld{true, true, true, false, true};
const std::vector<bool> kAfterRemove{true, false, false, false, false};

// "/" links a, b and c; a links a1 and a2; c links c1. b stalls until the test ends, so the
// worker sits in b's fetch with c, a1 and a2 pending behind it.
class LinkCommands : public CrawlUiTest {
  protected:
    std::unique_ptr<MainFrame> StartStalledCrawl() {
        server.Serve("/", LinkPage({"a.html", "b.html", "c.html"}));
        server.Serve("/a.html", LinkPage({"a1.html", "a2.html"}));
        server.Serve("/a1.html", LinkPage({}));
        server.Serve("/a2.html", LinkPage({}));
        server.Serve("/c.html", LinkPage({"c1.html"}));
        server.Serve("/c1.html", LinkPage({}));
        server.http().Get("/b.html", [this](const httplib::Request&, httplib::Response& response) {
            bStalled = true;
            server.StallUntilStopped(8000);
            response.set_content(LinkPage({"b1.html"}), "text/html");
        });
        auto frame = StartCrawler();
        TypeAndAdd(*frame, Address("/"));
        // The pages after the current one are fetched ahead: b stalls the crawl once the worker
        // itself waits for it, with a and its children behind it.
        EXPECT_TRUE(WaitUntil([&] {
            const LinkRecord* current = frame->engine->table().currentRecord.load();
            return bStalled.load() && current != nullptr &&
                   current->DisplayText() == Address("/b.html");
        }));
        ShowReported(*frame);
        return frame;
    }

    QTreeWidgetItem* At(const MainFrame& frame, const std::string& path) const {
        QTreeWidgetItem* item = Item(frame, Address(path));
        EXPECT_NE(item, nullptr) << path;
        return item;
    }

    LinkRecord* RecordOf(const MainFrame& frame, const std::string& path) const {
        for (int i = 0; i < frame.engine->table().Count(); ++i) {
            LinkRecord* record = frame.engine->table().RecordAt(i);
            if (record->DisplayText() == Address(path)) {
                return record;
            }
        }
        return nullptr;
    }

    std::atomic<bool> bStalled{false};
};

TEST_F(LinkCommands, StopHoldsThePendingRecordsAndExpandReleasesThem) {
    auto frame = StartStalledCrawl();
    Click(*frame, At(*frame, "/"));
    EXPECT_EQ(Commands(*frame), kFreshClick);
    EXPECT_EQ(frame->addressEdit->text().toStdString(), Address("/"));

    // Stop on c, still pending: held, shown on hold, marked; the crawl goes on with a1 and a2.
    QTreeWidgetItem* c = At(*frame, "/c.html");
    Click(*frame, c);
    QTest::mouseClick(frame->stopButton, Qt::LeftButton);
    EXPECT_EQ(Commands(*frame), kAllHeld);
    // The grey stop button hands the focus to the window, not to the address field.
    EXPECT_EQ(QApplication::focusWidget(), frame->clientArea);
    EXPECT_FALSE(frame->addressEdit->hasSelectedText());
    EXPECT_EQ(RecordOf(*frame, "/c.html")->held.load(), 1);
    EXPECT_EQ(frame->tree->DropHighlight(), c);
    ASSERT_TRUE(WaitSettled(*frame));
    EXPECT_EQ(Image(*frame, c), kImageHeld);
    EXPECT_EQ(Image(*frame, At(*frame, "/a1.html")), kImageFetched);
    EXPECT_EQ(Image(*frame, At(*frame, "/a2.html")), kImageFetched);
    EXPECT_EQ(c->childCount(), 0);
    // Only held records are left: the pane shows the held one, not the banner.
    QTest::qWait(120);
    EXPECT_TRUE(frame->statusPane->text().contains(QString::fromStdString(Address("/c.html"))))
        << frame->statusPane->text().toStdString();

    // A click on the held subtree offers expand, not stop; on an unheld one the other way.
    Click(*frame, At(*frame, "/a.html"));
    EXPECT_EQ(Commands(*frame), kFreshClick);
    Click(*frame, c);
    EXPECT_EQ(Commands(*frame), kAllHeld);
    // The root's subtree has both kinds.
    Click(*frame, At(*frame, "/"));
    EXPECT_EQ(Commands(*frame), (std::vector<bool>{true, true, true, true, true}));

    // Expand from its shortcut: c is released, taken up again and expanded.
    Click(*frame, c);
    QTest::keyClick(frame->tree, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(Commands(*frame), kFreshClick);
    EXPECT_EQ(RecordOf(*frame, "/c.html")->held.load(), 0);
    ASSERT_TRUE(WaitSettled(*frame));
    EXPECT_EQ(Image(*frame, c), kImageFetched);
    EXPECT_EQ(ChildTexts(*frame, c), std::vector<std::string>{Address("/c1.html")});
    EXPECT_EQ(frame->tree->DropHighlight(), c);
}

TEST_F(LinkCommands, StopOrExpandWithNothingToChangeKeepTheCommandStates) {
    auto frame = StartStalledCrawl();
    QTreeWidgetItem* a = At(*frame, "/a.html");  // expanded, its children pending behind b
    Click(*frame, a);
    EXPECT_EQ(Commands(*frame), kFreshClick);
    // Nothing held: the shortcut is disabled, and the command itself releases nothing.
    QTest::keyClick(frame->tree, Qt::Key_E, Qt::ControlModifier);
    frame->OnExpand();
    EXPECT_EQ(Commands(*frame), kFreshClick);

    // Stop holds a1 and a2; the subtree then has held and unheld records.
    frame->OnStop();
    EXPECT_EQ(Commands(*frame), kAllHeld);
    Click(*frame, a);
    EXPECT_EQ(Commands(*frame), (std::vector<bool>{true, true, true, true, true}));
    frame->OnExpand();
    EXPECT_EQ(Commands(*frame), kFreshClick);
    // The crawl comes to rest (b's fetch was interrupted by the Stop and is not taken up):
    // no expansion is left that could clear the stop request below.
    ASSERT_TRUE(WaitSettled(*frame));
    EXPECT_EQ(RecordOf(*frame, "/a1.html")->expanded.load(), 1);
    EXPECT_EQ(RecordOf(*frame, "/a2.html")->expanded.load(), 1);

    // Everything under a is expanded: Stop holds nothing and leaves the states as they were,
    // but still sets the stop request and marks the item.
    frame->engine->stopRequest().Clear();
    frame->tree->SetDropHighlight(nullptr);
    const CommandStates odd{true, true, false, true, false};
    frame->ApplyCommandStates(odd);
    frame->OnStop();
    EXPECT_EQ(Commands(*frame), (std::vector<bool>{true, true, false, true, false}));
    EXPECT_TRUE(frame->engine->stopRequest().Requested());
    EXPECT_EQ(frame->tree->DropHighlight(), a);
}

TEST_F(LinkCommands, RemoveInTheMiddleOfACrawlTakesTheWholeSubtree) {
    auto frame = StartStalledCrawl();
    ASSERT_EQ(frame->engine->table().Count(), 6);
    Click(*frame, At(*frame, "/a.html"));
    QTest::mouseClick(frame->removeButton, Qt::LeftButton);
    EXPECT_EQ(Commands(*frame), kAfterRemove);
    // The new worker may already be admitting c's link; the rest is as it was.
    ShowReported(*frame);
    for (const char* gone : {"/a.html", "/a1.html", "/a2.html"}) {
        EXPECT_EQ(RecordOf(*frame, gone), nullptr) << gone;
        EXPECT_EQ(Item(*frame, Address(gone)), nullptr) << gone;
    }
    for (const char* kept : {"/", "/b.html", "/c.html"}) {
        EXPECT_NE(RecordOf(*frame, kept), nullptr) << kept;
        EXPECT_NE(Item(*frame, Address(kept)), nullptr) << kept;
    }
    // Explore follows Remove: its shortcut does nothing now.
    QTest::keyClick(frame->tree, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(started().empty());

    // The crawl goes on with what is left (b's fetch was interrupted and is not taken up).
    ASSERT_TRUE(WaitSettled(*frame));
    EXPECT_EQ(Image(*frame, At(*frame, "/c.html")), kImageFetched);
    EXPECT_NE(At(*frame, "/c1.html"), nullptr);
    EXPECT_EQ(RecordOf(*frame, "/b.html")->expanded.load(), 1);

    // Removing the root takes the rest; the next root still gets the next letter.
    Click(*frame, At(*frame, "/"));
    frame->RunCommand(kCommandRemove);
    EXPECT_EQ(frame->engine->table().Count(), 0);
    ShowReported(*frame);
    EXPECT_EQ(frame->tree->topLevelItemCount(), 0);
    TypeAndAdd(*frame, Address("/c1.html"));
    ASSERT_EQ(frame->engine->table().Count(), 1);
    EXPECT_EQ(frame->engine->table().RecordAt(0)->label, "B");
    ASSERT_TRUE(WaitSettled(*frame));
}

}  // namespace
}  // namespace zavel
