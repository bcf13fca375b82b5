// Many requests in flight: crawls with eight requests at once give exactly what one at a time
// gives, on loopback sites whose answers come back out of order; the link commands and the end
// of the worker still act at once with slow transfers running.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "engine/crawl_engine.h"
#include "engine/page_fetcher.h"
#include "lists/word_list.h"
#include "tests/support/captured_boxes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/recording_tree.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_lists.h"

namespace zavel {
namespace {

using namespace std::chrono_literals;
using test::WriteFileBytes;

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds limit = 20s) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::string Links(const std::vector<std::string>& targets, std::size_t padding = 800) {
    std::string page = "<html><body>\n";
    for (const auto& target : targets) {
        page += "<a href=\"" + target + "\">" + target + "</a>\n";
    }
    return page + std::string(padding, ' ') + "</body></html>\n";
}

// A loopback server that counts the requests it serves at the same time.
class CountingServer {
  public:
    // Serves `body` at `path` after `delay`.
    void Serve(const std::string& path, std::string body, std::chrono::milliseconds delay,
               int status = 200, std::string type = "text/html") {
        server.http().Get(path, [=, this](const httplib::Request&, httplib::Response& r) {
            Enter();
            std::this_thread::sleep_for(delay);
            r.status = status;
            r.set_content(body, type);
            Leave();
        });
    }
    void Enter() {
        const int now = ++inFlight;
        int seen = mostAtOnce.load();
        while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
        }
        ++served;
    }
    void Leave() { --inFlight; }

    test::LoopbackServer server;
    std::atomic<int> inFlight{0};
    std::atomic<int> mostAtOnce{0};
    std::atomic<int> served{0};
};

class FetchAheadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        programDir = dir.path() + "/prog/";
        std::filesystem::create_directories(programDir);
        test::WriteDefaultWordLists(programDir);
        settings.otherServerLevel = 2;
        settings.maxLevel = 6;
        settings.fileTypes = std::make_shared<const std::string>("*.*;");
    }

    // One crawl of the site from `start` with its own engine, tree and destination.
    struct Crawl {
        std::unique_ptr<CrawlEngine> engine;
        test::RecordingTree tree;
        std::string destDir;
    };

    std::unique_ptr<Crawl> StartCrawl(int requests, int mode, const std::string& start,
                                      const std::string& name) {
        auto crawl = std::make_unique<Crawl>();
        crawl->destDir = dir.path() + "/" + name;
        std::filesystem::create_directories(crawl->destDir);
        crawl->engine = std::make_unique<CrawlEngine>(programDir);
        crawl->engine->SetRequestsAtOnce(requests);
        CrawlSettings own = settings;
        own.mode = mode;
        own.destDir = std::make_shared<SharedText>(crawl->destDir);
        LinkArgs args;
        args.linkText = start;
        args.tempPath = dir.path() + "/" + name + ".tmp";
        args.tree = &crawl->tree;
        args.settings = own;
        args.label = crawl->engine->table().NextRootLabel();
        crawl->engine->table().Construct(std::move(args));
        crawl->engine->StartWorker();
        return crawl;
    }

    static bool Settled(const Crawl& crawl) { return crawl.engine->table().CrawlSettled(); }

    // Every file below the destination with its bytes.
    static std::map<std::string, std::string> Files(const std::string& root) {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (entry.is_regular_file()) {
                files[std::filesystem::relative(entry.path(), root).string()] =
                    test::ReadFileBytes(entry.path().string());
            }
        }
        return files;
    }

    test::TempDir dir;
    std::string programDir;
    CrawlSettings settings;
    test::CapturedBoxes boxes;
};

// A site of 60 pages in a few folders, with pictures, a missing page, a short error page, a
// page of 1.5 MB and a text file; every answer is delayed by its own time between 0 and 14 ms.
void ServeRandomSite(CountingServer& site) {
    for (int i = 0; i < 60; ++i) {
        std::vector<std::string> links;
        for (int k = 1; k <= 3; ++k) {
            const int to = (i * 7 + k * 11) % 60;
            links.push_back("/d" + std::to_string(to % 4) + "/p" + std::to_string(to) + ".html");
        }
        links.push_back("/pic" + std::to_string(i % 9) + ".gif");
        if (i % 10 == 3) {
            links.push_back("/missing" + std::to_string(i) + ".html");
            links.push_back("/short.html");
            links.push_back("/big.html");
            links.push_back("/notes.txt");
        }
        const auto delay = std::chrono::milliseconds((i * 37 + 5) % 15);
        site.Serve("/d" + std::to_string(i % 4) + "/p" + std::to_string(i) + ".html", Links(links),
                   delay);
        if (i == 0) {
            site.Serve("/", Links(links), delay);
        }
    }
    for (int i = 0; i < 9; ++i) {
        site.Serve("/pic" + std::to_string(i) + ".gif", std::string(100 + i * 997, char('a' + i)),
                   std::chrono::milliseconds(i * 3 % 11), 200, "image/gif");
    }
    for (int i = 3; i < 60; i += 10) {
        site.Serve("/missing" + std::to_string(i) + ".html", "<h1>404 Not Found</h1>",
                   std::chrono::milliseconds(i % 7), 404);
    }
    site.Serve("/short.html", "error 404: not found", 2ms);
    site.Serve("/big.html", Links({"/d1/p1.html", "/big2.html"}, 1500000), 9ms);
    site.Serve("/big2.html", Links({}), 1ms);
    site.Serve("/notes.txt", "plain text with href=\"/d2/p2.html\"", 4ms);
}

TEST_F(FetchAheadTest, EightAtOnceGiveTheSameTreeAndFilesAsOneAtATime) {
    CountingServer site;
    ServeRandomSite(site);
    site.server.Start();
    const std::string start = "http://" + site.server.host() + "/";

    for (int mode : {kModeGet, kModeCopy}) {
        const std::string name = mode == kModeGet ? "get" : "copy";
        auto one = StartCrawl(1, mode, start, name + "1");
        ASSERT_TRUE(WaitUntil([&] { return Settled(*one); }));
        EXPECT_EQ(site.mostAtOnce.load(), 1) << "one at a time means one";
        site.mostAtOnce = 0;

        auto eight = StartCrawl(8, mode, start, name + "8");
        ASSERT_TRUE(WaitUntil([&] { return Settled(*eight); }));
        EXPECT_GT(site.mostAtOnce.load(), 1) << name << ": the fetches ran ahead";
        EXPECT_LE(site.mostAtOnce.load(), 8) << name;
        site.mostAtOnce = 0;

        EXPECT_GT(one->engine->table().Count(), 60);
        EXPECT_EQ(one->tree.log(), eight->tree.log()) << name;
        EXPECT_EQ(one->engine->table().currentIndex.load(),
                  eight->engine->table().currentIndex.load());
        const auto files = Files(one->destDir);
        EXPECT_EQ(files.empty(), mode == kModeGet) << name;
        EXPECT_TRUE(files == Files(eight->destDir)) << name << ": the same copies, byte for byte";

        // The setting changed twice while the crawl runs: still the same.
        const int served = site.served.load();
        auto changed = StartCrawl(8, mode, start, name + "x");
        WaitUntil([&] { return site.served.load() >= served + 20; });
        changed->engine->SetRequestsAtOnce(1);
        WaitUntil([&] { return site.served.load() >= served + 40; });
        changed->engine->SetRequestsAtOnce(4);
        ASSERT_TRUE(WaitUntil([&] { return Settled(*changed); }));
        EXPECT_EQ(one->tree.log(), changed->tree.log()) << name;
        EXPECT_TRUE(files == Files(changed->destDir)) << name;
        site.mostAtOnce = 0;
    }
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(FetchAheadTest, AServerThatAnswersBusyGetsOneRequestAtATime) {
    CountingServer site;
    std::vector<std::string> pages;
    for (int i = 0; i < 20; ++i) {
        pages.push_back("/p" + std::to_string(i) + ".html");
        site.Serve(pages.back(), Links({}), 5ms);
    }
    site.Serve("/", Links(pages), 1ms, 429);
    site.server.Start();
    auto crawl = StartCrawl(8, kModeGet, "http://" + site.server.host() + "/", "busy");
    ASSERT_TRUE(WaitUntil([&] { return Settled(*crawl); }));
    EXPECT_EQ(crawl->engine->table().Count(), 21);
    EXPECT_EQ(site.mostAtOnce.load(), 1);
}

// A root whose first child never answers until the server stops, and eight quick pages after
// it that are fetched ahead meanwhile.
class SlowFetchAheadTest : public FetchAheadTest {
  protected:
    void SetUp() override {
        FetchAheadTest::SetUp();
        std::vector<std::string> links{"/slow/"};
        for (int i = 0; i < 8; ++i) {
            links.push_back("/q" + std::to_string(i) + ".htm");
            site.Serve(links.back(), Links({"/q" + std::to_string(i) + "x.htm"}), 0ms);
        }
        site.Serve("/", Links(links), 0ms);
        site.server.http().Get("/slow/", [this](const httplib::Request&, httplib::Response& r) {
            site.Enter();
            site.server.StallUntilStopped();
            r.set_content("late", "text/html");
            site.Leave();
        });
        site.server.Start();
        crawl = StartCrawl(8, kModeGet, "http://" + site.server.host() + "/", "slow");
        // The root, /slow/ and the seven after it that fit beside it.
        ASSERT_TRUE(WaitUntil([&] { return site.served.load() == 9; }));
        ASSERT_EQ(crawl->engine->table().Count(), 10);
    }
    void TearDown() override {
        crawl.reset();
        site.server.Stop();
    }

    TreeItemId ItemOf(int index) { return crawl->engine->table().RecordAt(index)->treeItem; }
    int ImageOf(int index) { return crawl->tree.ItemOf(ItemOf(index)).image; }

    template <typename Command>
    std::chrono::steady_clock::duration Timed(Command command) {
        const auto begin = std::chrono::steady_clock::now();
        command();
        return std::chrono::steady_clock::now() - begin;
    }

    CountingServer site;
    std::unique_ptr<Crawl> crawl;
};

TEST_F(SlowFetchAheadTest, StopRemoveAndExpandActAtOnceAndShowNothingFetchedForHeldRecords) {
    LinkTable& table = crawl->engine->table();
    // Stop on the root holds every page fetched ahead: none of their bodies is shown.
    EXPECT_LT(Timed([&] { crawl->engine->Stop(ItemOf(0)); }), 2s);
    for (int i = 2; i < 10; ++i) {
        EXPECT_EQ(ImageOf(i), kImageHeld) << i;
    }
    ASSERT_TRUE(WaitUntil([&] { return table.CrawlSettled(); }));
    EXPECT_EQ(table.Count(), 10) << "no held page was scanned";

    // Expand releases them; the first released page ends its scan at its first link (the
    // stop request), the rest are scanned in full, all in table order.
    EXPECT_LT(Timed([&] { crawl->engine->Expand(ItemOf(0)); }), 2s);
    ASSERT_TRUE(WaitUntil([&] { return table.CrawlSettled(); }));
    EXPECT_EQ(ImageOf(1), kImagePending) << "the interrupted expansion stays as it stood";
    EXPECT_EQ(table.Count(), 17);
    EXPECT_EQ(table.RecordAt(10)->file, "/q1x.htm");

    // Remove with transfers running: the new root stalls on /slow/ again.
    TreeItemId slow = ItemOf(1);
    EXPECT_LT(Timed([&] { crawl->engine->Remove(slow, &crawl->tree); }), 2s);
    EXPECT_FALSE(crawl->tree.Has(slow));
    EXPECT_EQ(table.Count(), 16);
}

TEST_F(SlowFetchAheadTest, BackToOneAtATimeFetchesAgainAndTheEndWaitsForNoTransfer) {
    // One at a time from the next record on: the bodies fetched ahead go with the worker, and
    // the pages are fetched again one after the other.
    crawl->engine->SetRequestsAtOnce(1);
    EXPECT_LT(Timed([&] { crawl->engine->EndWorker(); }), 2s);
    crawl->engine->StartWorker();
    ASSERT_TRUE(WaitUntil([&] { return crawl->engine->table().CrawlSettled(); }));
    EXPECT_EQ(crawl->engine->table().Count(), 18);
    EXPECT_EQ(site.served.load(), 9 + 8) << "the q pages again; their unknown links count not";
    EXPECT_EQ(ImageOf(1), kImagePending);

    // The end of the program with eight transfers that never answer.
    CountingServer stalling;
    std::vector<std::string> links;
    for (int i = 0; i < 12; ++i) {
        links.push_back("/s" + std::to_string(i) + ".html");
        stalling.server.http().Get(links.back(), [&](const httplib::Request&, httplib::Response&) {
            stalling.Enter();
            stalling.server.StallUntilStopped();
            stalling.Leave();
        });
    }
    stalling.Serve("/", Links(links), 0ms);
    stalling.server.Start();
    auto stalled = StartCrawl(8, kModeGet, "http://" + stalling.server.host() + "/", "stall");
    ASSERT_TRUE(WaitUntil([&] { return stalling.inFlight.load() == 8; }));
    EXPECT_LT(Timed([&] { stalled.reset(); }), 2s);
    EXPECT_EQ(stalling.mostAtOnce.load(), 8);
}

TEST_F(SlowFetchAheadTest, APageNoLongerWantedWhenItsTurnComesIsDroppedUnseen) {
    // The pages after /slow/ were fetched ahead as .htm pages; .htm leaves the extensions.
    WriteFileBytes(programDir + WordListFileName(WordListKind::kExtensions), ".html\r\n");
    // /slow/ ends when the server stops; the worker goes on with the held bodies.
    site.server.Stop();
    ASSERT_TRUE(WaitUntil([&] { return crawl->engine->table().CrawlSettled(); }));
    for (int i = 2; i < 10; ++i) {
        EXPECT_EQ(ImageOf(i), kImageNotExpanded) << i;
    }
    EXPECT_EQ(crawl->engine->table().Count(), 10);
}

}  // namespace
}  // namespace zavel
