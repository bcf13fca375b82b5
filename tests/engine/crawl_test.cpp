// Crawls of small sites served on loopback, driven by the real worker, fetcher and expansion,
// observed through the recording tree.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/crawl_engine.h"
#include "lists/word_list.h"
#include "tests/support/captured_boxes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/recording_tree.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_lists.h"

namespace zavel {
namespace {

using namespace std::chrono_literals;
using test::FileExists;
using test::ReadFileBytes;
using test::WriteFileBytes;

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds limit = 10s) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::string Links(std::initializer_list<std::string> targets) {
    std::string page = "<html><body>\n";
    for (const auto& target : targets) {
        page += "<a href=\"" + target + "\">" + target + "</a>\n";
    }
    // Pages stay at or above the error-page size unless a test wants a short one.
    page += std::string(800, ' ') + "</body></html>\n";
    return page;
}

class CrawlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        programDir = dir.path() + "/prog/";
        std::filesystem::create_directories(programDir);
        test::WriteDefaultWordLists(programDir);
        destDir = dir.path() + "/dest";
        std::filesystem::create_directories(destDir);
        settings.mode = kModeGet;
        settings.otherServerLevel = 2;
        settings.maxLevel = 5;
        settings.destDir = std::make_shared<SharedText>(destDir);
        settings.fileTypes = std::make_shared<const std::string>("*.*;");
    }

    void TearDown() override {
        if (engine) {
            engine->EndWorker();
        }
        server.Stop();
    }

    // Starts the server and makes the engine; the worker starts with Run(), so that roots
    // added before it keep their order in the table.
    void StartCrawl() {
        server.Start();
        engine = std::make_unique<CrawlEngine>(programDir);
    }
    void Run() {
        engine->StartWorker();
        WaitFinished();
    }

    LinkRecord* Add(const std::string& address) {
        LinkArgs args;
        args.linkText = address;
        args.tempPath = programDir + "data";
        args.tree = &tree;
        args.settings = settings;
        args.label = engine->table().NextRootLabel();
        return engine->table().Construct(std::move(args));
    }

    int ImageOf(const LinkTable& table, int index) {
        return tree.ItemOf(table.RecordAt(index)->treeItem).image;
    }

    bool Finished() { return engine->table().CrawlSettled(); }
    void WaitFinished() {
        ASSERT_TRUE(WaitUntil([&] { return Finished(); }));
    }

    // "label level image text" of every record, in table order.
    std::vector<std::string> Summary() {
        std::vector<std::string> rows;
        LinkTable& table = engine->table();
        for (int i = 0; i < table.Count(); ++i) {
            const LinkRecord* r = table.RecordAt(i);
            std::string host = r->host == server.host() ? "" : r->host;
            rows.push_back(r->label + " " + std::to_string(r->level) + " " +
                           std::to_string(tree.ItemOf(r->treeItem).image) + " " + host + r->dir +
                           r->file);
        }
        return rows;
    }

    test::TempDir dir;
    std::string programDir;
    std::string destDir;
    CrawlSettings settings;
    test::LoopbackServer server;
    test::RecordingTree tree;
    std::unique_ptr<CrawlEngine> engine;
};

TEST_F(CrawlTest, GetModeCrawlsBreadthFirstWithLabelsLevelsAndImages) {
    server.Serve("/", Links({"a.html", "b/", "pic.gif", "missing.html", "/a.html"}));
    server.Serve("/a.html", Links({"b/c.html", "x.htm#part"}));
    server.Serve("/b/", Links({"c.html"}));
    server.Serve("/b/c.html", Links({"../a.html"}));
    server.Serve("/missing.html", "<h1>404 Not Found</h1>", 404);
    server.Serve("/x.htm", "short page");
    StartCrawl();
    LinkRecord* root = Add("http://" + server.host() + "/");
    Run();

    // Children follow their parents; duplicates (the empty links, "/a.html", "../a.html")
    // are declined but use up their label suffixes.
    EXPECT_EQ(Summary(), (std::vector<std::string>{
                             "A 0 2 /",
                             "AA 1 2 /a.html",
                             "AB 1 2 /b/",
                             "AC 1 3 /pic.gif",
                             "AD 1 0 /missing.html",
                             "AAA 2 2 /b/c.html",
                             "AAB 2 2 /x.htm",
                         }));
    const LinkRecord* a = engine->table().RecordAt(1);
    EXPECT_EQ(tree.ItemOf(engine->table().RecordAt(5)->treeItem).parent, a->treeItem);
    EXPECT_EQ(tree.Children(root->treeItem).size(), 4u);
    EXPECT_GE(tree.refreshCount(), 10) << "one refresh request per constructed child";
    EXPECT_EQ(engine->table().currentRecord.load(), nullptr);
}

TEST_F(CrawlTest, LevelRuleSetsAsideAtTheMaximumOnly) {
    settings.maxLevel = 1;
    server.Serve("/", Links({"a.html"}));
    server.Serve("/a.html", Links({"b.html"}));
    StartCrawl();
    Add("http://" + server.host() + "/");
    Run();
    EXPECT_EQ(Summary(), (std::vector<std::string>{"A 0 2 /", "AA 1 3 /a.html"}));

    // With maximum level 0 the root itself is set aside.
    settings.maxLevel = 0;
    Add("http://" + server.host() + "/a.html");
    WaitFinished();
    EXPECT_EQ(Summary().back(), "B 0 3 /a.html");
}

TEST_F(CrawlTest, OtherServersCountByHostTextAgainstTheParent) {
    // 127.0.0.1:P and localhost:P are one machine but two servers. Each root crawls its own
    // folder /rN/ with its own other-server level N.
    server.http().Get(R"(/r(\d)/(\w+)\.html)", [this](const httplib::Request& request,
                                                      httplib::Response& response) {
        const std::string folder = "/r" + std::string(request.matches[1]) + "/";
        const std::string name = request.matches[2];
        const std::string port = std::to_string(server.port());
        std::string page = Links({});
        if (name == "root") {
            page = Links({"http://localhost:" + port + folder + "far.html", "near.html"});
        } else if (name == "far") {
            page = Links({"http://127.0.0.1:" + port + folder + "back.html", "farther.html"});
        }
        response.set_content(page, "text/html");
    });
    StartCrawl();
    for (int limit : {0, 1, 2}) {
        settings.otherServerLevel = limit;
        Add("http://" + server.host() + "/r" + std::to_string(limit) + "/root.html");
    }
    Run();
    const std::string local = "localhost:" + std::to_string(server.port());
    EXPECT_EQ(Summary(), (std::vector<std::string>{
                             "A 0 2 /r0/root.html",
                             "B 0 2 /r1/root.html",
                             "C 0 2 /r2/root.html",
                             "AB 1 2 /r0/near.html",
                             "AC 1 2 /r0/",  // the empty link: the page's folder
                             "BB 1 2 /r1/near.html",
                             "BC 1 2 /r1/",
                             "CA 1 2 " + local + "/r2/far.html",
                             "CB 1 2 /r2/near.html",
                             "CC 1 2 /r2/",
                             // From far.html, localhost is home: farther.html is followed,
                             // the way back to 127.0.0.1 is another server at level 2.
                             "CAB 2 2 " + local + "/r2/farther.html",
                             "CAC 2 2 " + local + "/r2/",
                         }));
}

TEST_F(CrawlTest, CopyModeSavesMatchingFilesUnderTheDestination) {
    settings.mode = kModeCopy;
    settings.fileTypes = std::make_shared<const std::string>("*.html;/docs/*;");
    server.Serve("/", Links({"docs/a.html", "docs/", "pic.gif"}));
    server.Serve("/docs/a.html", Links({"b.html"}));
    server.Serve("/docs/", Links({}));
    server.Serve("/docs/b.html", "<p>b</p>" + std::string(900, '.'));
    server.Serve("/pic.gif", std::string("GIF89a\0\1\2", 9), 200, "image/gif");
    StartCrawl();
    Add("http://" + server.host() + "/");
    Run();

    // "/" matches neither pattern; /docs/ (file "/") neither; pic.gif is no page and no match.
    EXPECT_FALSE(FileExists(destDir + "/index.html"));
    EXPECT_EQ(ReadFileBytes(destDir + "/a.html"), Links({"b.html"}));
    EXPECT_EQ(ReadFileBytes(destDir + "/b.html"), "<p>b</p>" + std::string(900, '.'));
    EXPECT_FALSE(FileExists(destDir + "/pic.gif"));
    // The copied page was scanned from the copy: b.html was found.
    EXPECT_EQ(Summary().back(), "AAA 2 2 /docs/b.html");
}

TEST_F(CrawlTest, CopyModeRecreatesDirectoriesAndKeepsOrReplacesOldFiles) {
    settings.mode = kModeCopy;
    settings.copyDirectory = 1;
    settings.maxLevel = 0;  // copies are still made for records set aside by the level rule
    server.Serve("/site/", "new index");
    server.Serve("/site/x.gif", "new gif", 200, "image/gif");
    std::filesystem::create_directories(destDir + "/site");
    WriteFileBytes(destDir + "/site/index.html", "old index");
    StartCrawl();
    settings.rewrite = 0;
    Add("http://" + server.host() + "/site/");
    Run();
    EXPECT_EQ(ReadFileBytes(destDir + "/site/index.html"), "old index");
    EXPECT_EQ(ReadFileBytes(destDir + "/site/indexp.html"), "new index");
    EXPECT_EQ(Summary().back(), "A 0 3 /site/") << "copied (2), then set aside by the level (3)";

    settings.rewrite = 1;
    Add("http://" + server.host() + "/site/");
    settings.copyDirectory = 0;
    Add("http://" + server.host() + "/site/x.gif");
    Run();
    EXPECT_EQ(ReadFileBytes(destDir + "/site/index.html"), "new index");
    EXPECT_FALSE(FileExists(destDir + "/site/indexpp.html"));
    EXPECT_EQ(ReadFileBytes(destDir + "/x.gif"), "new gif");
}

// Every page but the ones a test serves itself says which server and path it is.
void ServeAddressOfEachPage(test::LoopbackServer& server) {
    server.http().Get(R"(/.+)", [](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.get_header_value("Host") + request.path, "text/html");
    });
}

TEST_F(CrawlTest, CopiesNeverWriteThroughALinkOrOutsideTheDestination) {
    settings.mode = kModeCopy;
    settings.rewrite = 1;
    settings.copyDirectory = 1;
    server.Serve("/", Links({"page.html", "hard.html", "a/x.html", "a/b/y.html"}));
    ServeAddressOfEachPage(server);
    const std::string outside = dir.path() + "/outside.html";
    const std::string elsewhere = dir.path() + "/elsewhere";
    WriteFileBytes(outside, "precious");
    WriteFileBytes(dir.path() + "/other-name.html", "precious too");
    std::filesystem::create_directory(elsewhere);
    std::filesystem::create_symlink(outside, destDir + "/page.html");
    std::filesystem::create_symlink(outside, destDir + "/keep.html");
    std::filesystem::create_hard_link(dir.path() + "/other-name.html", destDir + "/hard.html");
    std::filesystem::create_directory_symlink(elsewhere, destDir + "/a");
    StartCrawl();
    test::CapturedBoxes boxes;  // the copies below the linked folder cannot be made
    Add("http://" + server.host() + "/");
    settings.rewrite = 0;
    Add("http://" + server.host() + "/keep.html");
    Run();

    // Rewrite on: the link and the second name are replaced by the copy, never written through.
    EXPECT_EQ(ReadFileBytes(outside), "precious");
    EXPECT_EQ(ReadFileBytes(dir.path() + "/other-name.html"), "precious too");
    EXPECT_FALSE(std::filesystem::is_symlink(destDir + "/page.html"));
    EXPECT_EQ(ReadFileBytes(destDir + "/page.html"), server.host() + "/page.html");
    EXPECT_EQ(ReadFileBytes(destDir + "/hard.html"), server.host() + "/hard.html");
    // Rewrite off: the link is a taken name.
    EXPECT_TRUE(std::filesystem::is_symlink(destDir + "/keep.html"));
    EXPECT_EQ(ReadFileBytes(destDir + "/keepp.html"), server.host() + "/keep.html");
    // A linked folder is not entered: nothing is written or made behind it.
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    EXPECT_EQ(Summary(), (std::vector<std::string>{"A 0 2 /", "B 0 2 /keep.html",
                                                   "AA 1 2 /page.html", "AB 1 2 /hard.html",
                                                   "AC 1 0 /a/x.html", "AD 1 0 /a/b/y.html"}));
}

TEST_F(CrawlTest, RewriteNeverReplacesACopyOfThisRunByAnotherAddresssCopy) {
    settings.mode = kModeCopy;
    settings.rewrite = 1;
    auto generation = std::make_shared<std::atomic<int>>(1);
    const auto rootPage = [this](int generation) {
        const std::string other = "http://localhost:" + std::to_string(server.port());
        return std::to_string(generation) +
               Links({"c/", "k/", "k/a.x.html", "k/a.y.html", other + "/k/a.x.html"});
    };
    server.http().Get("/", [=](const httplib::Request&, httplib::Response& response) {
        response.set_content(rootPage(generation->load()), "text/html");
    });
    ServeAddressOfEachPage(server);
    WriteFileBytes(destDir + "/index.html", "from an earlier crawl");
    StartCrawl();
    Add("http://" + server.host() + "/");
    Run();

    const std::string here = server.host();
    const std::string there = "localhost:" + std::to_string(server.port());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"index.html", rootPage(1)},  // the file from before the crawl is replaced
        {"indexp.html", here + "/c/"},       {"indexpp.html", here + "/k/"},
        {"a.html", here + "/k/a.x.html"},    {"ap.html", here + "/k/a.y.html"},
        {"app.html", there + "/k/a.x.html"},
    };
    for (const auto& [name, contents] : expected) {
        EXPECT_EQ(ReadFileBytes(destDir + "/" + name), contents) << name;
    }
    // The same address again (a second root) refreshes its own copy.
    generation->store(2);
    Add("http://" + server.host() + "/");
    WaitFinished();
    EXPECT_EQ(ReadFileBytes(destDir + "/index.html"), rootPage(2));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(destDir),
                            std::filesystem::directory_iterator()),
              6);
}

TEST_F(CrawlTest, FailedCopiesAndFetchesShowTheCross) {
    settings.mode = kModeCopy;
    // The destination is a file: no copy can be created below it.
    WriteFileBytes(dir.path() + "/plain", "x");
    settings.destDir = std::make_shared<SharedText>(dir.path() + "/plain");
    server.Serve("/", Links({}));
    StartCrawl();
    test::CapturedBoxes boxes;
    Add("http://" + server.host() + "/");
    settings.mode = kModeGet;
    Add("http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/");
    Run();
    EXPECT_EQ(Summary()[0], "A 0 0 /");
    EXPECT_EQ(tree.ItemOf(engine->table().RecordAt(1)->treeItem).image, kImageFailed);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{"Internal Error"});
}

TEST_F(CrawlTest, LargeCopyLendsTheTemporaryFileOnlyThePartTheScanReads) {
    settings.mode = kModeCopy;
    settings.maxLevel = 0;
    const std::string large(kMaxScannedBytes + 4096, 'x');
    server.Serve("/large.html", large);
    StartCrawl();
    Add("http://" + server.host() + "/large.html");
    Run();
    EXPECT_TRUE(ReadFileBytes(destDir + "/large.html") == large) << "the copy is whole";
    EXPECT_EQ(std::filesystem::file_size(programDir + "data"), kMaxScannedBytes);
}

TEST_F(CrawlTest, WorkerRaisesOneBoxPerRootUntilTheUsersNextCommandOnIt) {
    settings.mode = kModeCopy;
    settings.copyDirectory = 1;
    // No folder of this name can be made, so no copy below it can be created.
    const std::string tooLong(300, 'd');
    server.Serve("/", Links({tooLong + "/1.html", tooLong + "/2.html", tooLong + "/3.html"}));
    server.http().Get(R"(/d+/\d\.html)", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(Links({}), "text/html");
    });
    StartCrawl();
    test::CapturedBoxes boxes;
    const LinkRecord* root = Add("http://" + server.host() + "/");
    auto addChild = [&](int j) {
        LinkArgs args;
        args.linkText = tooLong + "/" + std::to_string(j) + ".html";
        args.tempPath = root->tempPath;
        args.parent = root;
        args.tree = &tree;
        args.parentItem = root->treeItem;
        args.settings = root->Settings();
        args.label = LinkTable::ChildLabel(root->label, 10 + j);  // past the page's own
        ASSERT_NE(engine->table().Construct(std::move(args)), nullptr);
        Run();
    };
    Run();
    addChild(4);
    using Texts = std::vector<std::string>;
    EXPECT_EQ(boxes.texts(), Texts{"Internal Error"}) << "four failures, one box";

    // Another root has a gate of its own; without a destination it copies nothing and says so.
    settings.destDir = std::make_shared<SharedText>("");
    Add("http://" + server.host() + "/");
    Run();
    EXPECT_EQ(boxes.texts(),
              (Texts{"Internal Error", "No Destination Directory: nothing can be copied"}));

    // A command on the first root opens its gate again.
    engine->Stop(root->treeItem);
    addChild(5);
    EXPECT_EQ(boxes.texts(),
              (Texts{"Internal Error", "No Destination Directory: nothing can be copied",
                     "Internal Error"}));

    const LinkTable& table = engine->table();
    ASSERT_EQ(table.Count(), 7);
    for (int i = 1; i < table.Count(); ++i) {
        EXPECT_EQ(ImageOf(table, i), kImageFailed) << i;
    }
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(destDir)) {
        written.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(written, Texts{"index.html"});
}

TEST_F(CrawlTest, ReservedWordsAndEscapesFilterLinks) {
    // Every default reserved word disqualifies its link; escapes are decoded before the test.
    server.Serve("/", Links({"a?b.html", "a+b.html", "a[b.html", "a]b.html", "mailto:x@y",
                             "javascript:go()", "a=b.html", "a@b.html", "a;b.html", "telnet://h/",
                             "ftp://h/", "a,b.html", "a%3Fb.html", "sp%20ace.html"}));
    server.Serve("/sp ace.html", Links({}));
    StartCrawl();
    Add("http://" + server.host() + "/");
    Run();
    // "sp ace.html" reaches the table; its fetch fails (a blank is refused before sending).
    EXPECT_EQ(Summary(), (std::vector<std::string>{"A 0 2 /", "AA 1 0 /sp ace.html"}));
}

TEST_F(CrawlTest, WordListEditsTakeEffectAtTheNextPage) {
    server.Serve("/a.html", Links({"b.html"}));
    server.Serve("/b.html", Links({}));
    server.Serve("/d.html", Links({"b2.html", "c2.html"}));
    server.Serve("/e.html", Links({"q?.html"}));
    server.Serve("/c2.html", Links({}));
    StartCrawl();
    Add("http://" + server.host() + "/a.html");
    Run();
    ASSERT_EQ(engine->table().Count(), 3);  // a.html, b.html and the site's "/"

    // A rewrite of the same size right after the last read: the new entries must be seen.
    const std::string reserved = programDir + "ext2.lst";
    std::string lists = std::string(DefaultWordList(WordListKind::kReservedWords));
    lists.replace(lists.find("javascript"), 10, "b2.html\r\nz");
    WriteFileBytes(reserved, lists);
    Add("http://" + server.host() + "/d.html");
    Run();
    // b2.html is reserved now; a dropped link uses up no label suffix.
    EXPECT_EQ(Summary().back(), "BA 1 2 /c2.html");

    // A missing reserved-word list reserves nothing.
    std::filesystem::remove(reserved);
    Add("http://" + server.host() + "/e.html");
    Run();
    EXPECT_EQ(Summary().back(), "CA 1 2 /q?.html");

    // An extension list without .htm sets .html pages aside.
    WriteFileBytes(programDir + "ext.lst", ".gif\r\n");
    Add("http://" + server.host() + "/b.html");
    Run();
    EXPECT_EQ(Summary().back(), "D 0 3 /b.html");
}

// A site whose /other.html never answers: the worker is in the middle of a transfer when the
// link commands come.
class LinkCommandTest : public CrawlTest {
  protected:
    void SetUp() override {
        CrawlTest::SetUp();
        server.Serve("/", Links({"hold/", "other.html"}));
        server.Serve("/hold/", Links({"x.html", "y.html"}));
        server.Serve("/hold/x.html", Links({"z1.html", "z2.html"}));
        server.Serve("/hold/y.html", Links({"z3.html"}));
        server.http().Get("/other.html", [this](const httplib::Request&, httplib::Response& r) {
            stalled = true;
            server.StallUntilStopped();
            r.set_content("late", "text/html");
        });
        settings.maxLevel = 3;  // the z pages are set aside unfetched
        StartCrawl();
        Add("http://" + server.host() + "/");
        engine->StartWorker();
        ASSERT_TRUE(WaitUntil([&] { return stalled.load(); }));
        // A, AA (hold/), AB (other.html), AAA (x.html), AAB (y.html)
        ASSERT_EQ(engine->table().Count(), 5);
    }

    TreeItemId ItemOf(int index) { return engine->table().RecordAt(index)->treeItem; }
    int ImageOf(int index) { return tree.ItemOf(ItemOf(index)).image; }

    template <typename Command>
    auto Timed(Command command) {
        auto start = std::chrono::steady_clock::now();
        auto result = command();
        elapsed = std::chrono::steady_clock::now() - start;
        return result;
    }

    std::atomic<bool> stalled{false};
    std::chrono::steady_clock::duration elapsed{};
};

TEST_F(LinkCommandTest, StopHoldsPendingRecordsAtOnceAndExpandReleasesThem) {
    auto states = Timed([&] { return engine->Stop(ItemOf(1)); });
    EXPECT_LT(elapsed, 2s) << "the stalled transfer was aborted";
    ASSERT_TRUE(states.has_value());
    EXPECT_EQ(*states, (CommandStates{true, true, true, false, true}));
    EXPECT_EQ(ImageOf(3), kImageHeld);
    EXPECT_EQ(ImageOf(4), kImageHeld);
    EXPECT_EQ(engine->table().RecordAt(2)->expanded.load(), 1) << "interrupted, not resumed";
    EXPECT_TRUE(engine->stopRequest().Stops("AAB"));

    // Nothing pending, the last record held: the index of the last expanded record and the
    // last held record.
    ASSERT_TRUE(WaitUntil([&] { return Finished(); }));
    EXPECT_EQ(engine->table().currentIndex.load(), 2);
    EXPECT_EQ(engine->table().currentRecord.load(), engine->table().RecordAt(4));
    EXPECT_EQ(ImageOf(2), kImagePending) << "the interrupted expansion keeps its image";

    // Stopping again marks nothing and leaves the states alone.
    EXPECT_FALSE(engine->Stop(ItemOf(1)).has_value());

    states = engine->Expand(ItemOf(1));
    ASSERT_TRUE(states.has_value());
    EXPECT_EQ(*states, (CommandStates{true, true, false, true, true}));
    EXPECT_FALSE(engine->Expand(ItemOf(1)).has_value()) << "nothing left to release";
    ASSERT_TRUE(WaitUntil([&] { return Finished(); }));

    // The first released page ends its scan at its first candidate and clears the request;
    // the next one scans in full.
    EXPECT_EQ(ImageOf(3), kImageFetched);
    EXPECT_TRUE(tree.Children(ItemOf(3)).empty());
    EXPECT_EQ(tree.ChildTexts(ItemOf(4)),
              std::vector<std::string>{server.host() + "/hold/z3.html"});
    EXPECT_FALSE(engine->stopRequest().Requested());
    EXPECT_EQ(engine->table().currentIndex.load(), kNoCurrentIndex);
}

TEST_F(LinkCommandTest, ProgressFollowsTheSituationsOfTheTable) {
    engine->Stop(ItemOf(1));
    // The last record expanded while others are held: the record count and the last held.
    Add("http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/");
    ASSERT_TRUE(WaitUntil([&] { return Finished(); }));
    EXPECT_EQ(engine->table().currentIndex.load(), 6);
    EXPECT_EQ(engine->table().currentRecord.load(), engine->table().RecordAt(4));

    // An empty table: index 0 and no record.
    CrawlEngine empty(programDir);
    empty.table().currentIndex = 77;
    empty.StartWorker();
    ASSERT_TRUE(WaitUntil([&] { return empty.table().WorkerSleeping(); }));
    EXPECT_EQ(empty.table().currentIndex.load(), 0);
    EXPECT_EQ(empty.table().currentRecord.load(), nullptr);
}

TEST_F(LinkCommandTest, RemoveDeletesTheSubtreeAtOnceAndTheCrawlGoesOn) {
    TreeItemId hold = ItemOf(1);
    auto states = Timed([&] { return engine->Remove(hold, &tree); });
    EXPECT_LT(elapsed, 2s);
    ASSERT_TRUE(states.has_value());
    EXPECT_EQ(*states, (CommandStates{true, false, false, false, false}));
    EXPECT_FALSE(tree.Has(hold));
    ASSERT_EQ(engine->table().Count(), 2);
    EXPECT_EQ(Summary()[1], "AB 1 1 /other.html");

    // The worker was started again; a new root is crawled.
    server.Stop();
    Add("http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/");
    ASSERT_TRUE(WaitUntil([&] { return Finished(); }));
    EXPECT_EQ(ImageOf(2), kImageFailed);

    // Removing the root removes everything under it; unknown items change nothing.
    EXPECT_FALSE(engine->Remove(999999, &tree).has_value());
    engine->Remove(ItemOf(0), &tree);
    EXPECT_EQ(engine->table().Count(), 1);
    EXPECT_EQ(tree.size(), 1u);
}

TEST_F(CrawlTest, HostileServersNeitherCrashNorStopTheCrawl) {
    // An endless body: only its beginning is read and scanned.
    server.http().Get("/endless.html", [this](const httplib::Request&, httplib::Response& r) {
        r.set_chunked_content_provider("text/html", [this](size_t, httplib::DataSink& sink) {
            static const std::string block = [] {
                std::string b = "<a href=\"found.html\">";
                b.resize(64 * 1024, 'x');
                return b;
            }();
            for (int i = 0; i < 2048 && !server.stopping(); ++i) {  // at most 128 MiB
                if (!sink.write(block.data(), block.size())) {
                    return false;
                }
            }
            sink.done();
            return true;
        });
    });
    std::string noise;
    for (int i = 0; i < 5000; ++i) {
        noise += static_cast<char>((i * 7919) % 256);
    }
    server.Serve("/noise.html", "<a href=\"before-nul.html\">" + noise, 200, "application/x");
    std::string many;
    for (int i = 0; i < 20000; ++i) {
        many += "<a href=\"m" + std::to_string(i) + ".html\">";
    }
    server.Serve("/many.html", many);
    server.Serve("/found.html", Links({}));
    server.Serve("/before-nul.html", Links({}));
    settings.maxLevel = 1;
    StartCrawl();
    Add("http://" + server.host() + "/endless.html");
    Add("http://" + server.host() + "/noise.html");
    Add("http://" + server.host() + "/many.html");
    engine->StartWorker();
    // A bound on liveness only: the wait ends as soon as the crawl does. 20,000 children and an
    // 8 MiB scan by the lowest-priority worker take minutes under the thread checker on a busy
    // machine, so the bound stays below the test's own time limit of 300 s instead.
    ASSERT_TRUE(WaitUntil([&] { return Finished(); }, 240s));

    const LinkTable& table = engine->table();
    // Three roots, found.html and the site's "/" from the endless page, before-nul.html (the
    // text ends at the first NUL byte), and every link of the long page.
    EXPECT_EQ(table.Count(), 3 + 2 + 1 + 20000);
    for (int root = 0; root < 3; ++root) {
        EXPECT_EQ(ImageOf(table, root), kImageFetched) << root;
    }
    EXPECT_EQ(table.RecordAt(3)->DisplayText(), server.host() + "/found.html");
    EXPECT_EQ(table.RecordAt(5)->DisplayText(), server.host() + "/before-nul.html");
}

TEST_F(CrawlTest, HostileLinksWriteNothingOutsideTheDestination) {
    settings.mode = kModeCopy;
    settings.copyDirectory = 1;
    settings.maxLevel = 1;
    server.Serve("/a/b/", Links({"../../../../escape.html", "/%2e%2e/%2e%2e/up.html",
                                 "/x/..../y/dots.html", "/.%2e/z.html"}));
    server.http().Get(R"(/.*\.html)", [](const httplib::Request&, httplib::Response& r) {
        r.set_content("copy", "text/html");
    });
    StartCrawl();
    Add("http://" + server.host() + "/a/b/");
    Run();
    std::vector<std::string> outside;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        std::string path = entry.path().string();
        if (path.rfind(destDir, 0) != 0 && path.rfind(dir.path() + "/prog", 0) != 0) {
            outside.push_back(path);
        }
    }
    EXPECT_TRUE(outside.empty()) << outside.front();
    EXPECT_GE(engine->table().Count(), 3);
}

}  // namespace
}  // namespace zavel
