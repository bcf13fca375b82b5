// What the crawl tells about each record: the answers of a loopback site's pages, the problem
// log, the CSV read back by a strict reader, and the sitemap's files and their limits.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "engine/crawl_engine.h"
#include "engine/crawl_report.h"
#include "lists/word_list.h"
#include "tests/support/captured_boxes.h"
#include "tests/support/loopback_server.h"
#include "tests/support/recording_tree.h"
#include "tests/support/strict_csv.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_lists.h"

namespace zavel {
namespace {

using namespace std::chrono_literals;

std::string Page(std::initializer_list<std::string> targets) {
    std::string page = "<html><body>\n";
    for (const auto& target : targets) {
        page += "<a href=\"" + target + "\">x</a>\n";
    }
    return page + std::string(800, ' ') + "</body></html>\n";
}

class CrawlReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        programDir = dir.path() + "/prog/";
        std::filesystem::create_directories(programDir);
        test::WriteDefaultWordLists(programDir);
        // Without the comma among the reserved words, an address may hold one.
        test::WriteFileBytes(programDir + WordListFileName(WordListKind::kReservedWords),
                             "?\r\n=\r\n");
        destDir = dir.path() + "/dest";
        std::filesystem::create_directories(destDir);
    }

    // Crawls a site with one page of each kind, in copy mode with the file types "*.html;".
    void CrawlSite() {
        const std::string refused =
            "http://127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/x.html";
        server.Serve("/", Page({"missing.html", "broken.html", "old.html", "gone.html", "cut.html",
                                refused, "pic.gif", "deep/", "a,b.html", "q%22uote.html"}));
        server.Serve("/missing.html", Page({}), 404);
        server.Serve("/broken.html", Page({}), 500);
        server.http().Get("/old.html", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/new.html", 301);
        });
        server.Serve("/new.html", Page({}));
        server.Serve("/gone.html", "<h1>Sorry, that page was not found</h1>");
        server.ServeCutShort("/cut.html", "<html>", 5000);
        server.Serve("/deep/", Page({"deeper.html"}));
        server.Serve("/deep/deeper.html", Page({}), 200, "text/html; charset=utf-8");
        server.Serve("/a,b.html", Page({}));
        server.Serve("/q\"uote.html", Page({}));
        server.Start();
        engine = std::make_unique<CrawlEngine>(programDir);

        CrawlSettings settings;
        settings.mode = kModeCopy;
        settings.otherServerLevel = 2;
        settings.maxLevel = 2;
        settings.destDir = std::make_shared<SharedText>(destDir);
        settings.fileTypes = std::make_shared<const std::string>("*.html;");
        LinkArgs args;
        args.linkText = "http://" + server.host() + "/";
        args.tempPath = programDir + "data";
        args.tree = &tree;
        args.settings = settings;
        args.label = engine->table().NextRootLabel();
        ASSERT_NE(engine->table().Construct(std::move(args)), nullptr);
        engine->StartWorker();
        const auto until = std::chrono::steady_clock::now() + 20s;
        while (!engine->table().CrawlSettled() && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(2ms);
        }
        ASSERT_TRUE(engine->table().CrawlSettled());
    }

    std::string Url(const std::string& path) const { return "http://" + server.host() + path; }

    // The CSV's rows by address, checked against the strict reader.
    std::map<std::string, std::vector<std::string>> CsvRows() {
        std::string error;
        auto records = test::ReadStrictCsv(CsvReport(engine->table()), &error);
        EXPECT_TRUE(records) << error;
        std::map<std::string, std::vector<std::string>> rows;
        if (!records) {
            return rows;
        }
        EXPECT_EQ(records->front(),
                  (std::vector<std::string>{"label", "level", "state", "address", "parent address",
                                            "status", "content type", "bytes", "milliseconds",
                                            "local copy path", "reason"}));
        EXPECT_EQ(records->size(), static_cast<std::size_t>(engine->table().Count()) + 1);
        for (std::size_t i = 1; i < records->size(); ++i) {
            rows[(*records)[i][3]] = (*records)[i];
        }
        return rows;
    }

    test::TempDir dir;
    std::string programDir;
    std::string destDir;
    test::CapturedBoxes boxes;
    test::LoopbackServer server;
    test::RecordingTree tree;
    std::unique_ptr<CrawlEngine> engine;
};

TEST_F(CrawlReportTest, EveryRecordKnowsItsAnswerAndTheCsvListsItInTableOrder) {
    CrawlSite();
    auto rows = CsvRows();
    const std::string root = Url("/");
    // address: state, status, reason, parent
    const std::map<std::string, std::vector<std::string>> expected = {
        {root, {"fetched", "200", "not copied: file type", ""}},
        {Url("/missing.html"), {"fetched", "404", "404 Not Found", root}},
        {Url("/broken.html"), {"fetched", "500", "500 Internal Server Error", root}},
        {Url("/old.html"), {"fetched", "200", "redirected to " + Url("/new.html"), root}},
        {Url("/gone.html"), {"error page", "200", "error phrase \"not found\"", root}},
        {Url("/cut.html"), {"failed", "200", "cut short", root}},
        {Url("/pic.gif"),
         {"not expanded", "", "extension not in the list; not copied: file type", root}},
        {Url("/deep/deeper.html"), {"not expanded", "200", "maximum level reached", Url("/deep/")}},
        {Url("/a,b.html"), {"fetched", "200", "", root}},
        {Url("/q\"uote.html"), {"fetched", "200", "", root}},
    };
    for (const auto& [address, want] : expected) {
        ASSERT_EQ(rows.count(address), 1u) << address;
        const auto& row = rows[address];
        EXPECT_EQ((std::vector<std::string>{row[2], row[5], row[10], row[4]}), want) << address;
    }
    const auto refused = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
        return row.second[10] == "connection refused";
    });
    ASSERT_NE(refused, rows.end());
    EXPECT_EQ(refused->second[2], "failed");
    EXPECT_EQ(refused->second[5], "") << "no answer came";

    // The numbers of a transfer, and the copy it wrote.
    const auto& deeper = rows[Url("/deep/deeper.html")];
    EXPECT_EQ(deeper[0].substr(0, 1), "A");
    EXPECT_EQ(deeper[1], "2");
    EXPECT_EQ(deeper[6], "text/html; charset=utf-8");
    EXPECT_EQ(deeper[7], std::to_string(Page({}).size()));
    EXPECT_FALSE(deeper[8].empty());
    EXPECT_EQ(deeper[9], destDir + "/deeper.html");
    EXPECT_TRUE(test::FileExists(deeper[9]));
    EXPECT_EQ(rows[root][0], "A");
    EXPECT_TRUE(rows[Url("/pic.gif")][7].empty()) << "never fetched";

    // The problem log holds the failures, the error page and the error statuses, once each.
    std::vector<TreeItemId> problems;
    const std::uint64_t generation = engine->table().ProblemsSince(0, problems);
    std::vector<std::string> reasons;
    for (TreeItemId item : problems) {
        auto row = ProblemRowOf(engine->table(), item);
        ASSERT_TRUE(row);
        EXPECT_EQ(row->parentAddress, root);
        reasons.push_back(row->reason);
    }
    std::sort(reasons.begin(), reasons.end());
    EXPECT_EQ(reasons, (std::vector<std::string>{"404 Not Found", "500 Internal Server Error",
                                                 "connection refused", "cut short",
                                                 "error phrase \"not found\""}));
    // Remove takes a problem's row out and tells by the generation.
    const LinkRecord* missing = engine->table().FindByTreeItem(problems.front());
    engine->Remove(missing->treeItem, &tree);
    std::vector<TreeItemId> after;
    EXPECT_NE(engine->table().ProblemsSince(0, after), generation);
    EXPECT_EQ(after.size(), problems.size() - 1);
    EXPECT_TRUE(boxes.texts().empty());
}

TEST(CrawlReport, SitemapFilesSplitAtTheirLimitsAndEscapeAddresses) {
    EXPECT_EQ(SitemapAddress("http://h/a b&c'<\xE9>.html"),
              "http://h/a%20b&amp;c&apos;%3C%E9%3E.html");
    const std::vector<std::string> addresses = {"http://h/1", "http://h/2", "http://h/3",
                                                "http://h/" + std::string(3000, 'x')};
    const auto whole = SitemapFiles(addresses);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_NE(whole[0].find("<url><loc>http://h/3</loc></url>"), std::string::npos);
    EXPECT_EQ(whole[0].find("xxxx"), std::string::npos) << "an address too long is left out";
    EXPECT_EQ(SitemapFiles({}).size(), 1u) << "an empty urlset all the same";

    SitemapLimits two;
    two.addresses = 2;
    const auto split = SitemapFiles(addresses, two);
    ASSERT_EQ(split.size(), 2u);
    EXPECT_NE(split[1].find("http://h/3"), std::string::npos);
    EXPECT_EQ(split[0].find("http://h/3"), std::string::npos);
    SitemapLimits small;
    small.bytes = whole[0].size() - 1;
    EXPECT_EQ(SitemapFiles(addresses, small).size(), 2u);

    EXPECT_EQ(SitemapPartPath("/d/map.xml", 0), "/d/map.xml");
    EXPECT_EQ(SitemapPartPath("/d/map.xml", 2), "/d/map-3.xml");
    EXPECT_EQ(SitemapPartPath("/d.x/map", 1), "/d.x/map-2");

    // A failed write names the file and leaves nothing behind.
    test::TempDir dir;
    EXPECT_EQ(WriteReportFiles(dir / "no/such/map.xml", split), dir / "no/such/map.xml");
    ASSERT_FALSE(WriteReportFiles(dir / "map.xml", split));
    EXPECT_EQ(test::ReadFileBytes(dir / "map-2.xml"), split[1]);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    EXPECT_EQ(PrintableLabel(std::string("AB\\\x01\xC3 ", 6)), "AB\\x5C\\x01\\xC3\\x20");
    EXPECT_EQ(CsvField("a,\"b\""), "\"a,\"\"b\"\"\"");
    EXPECT_EQ(CsvField("plain"), "plain");
}

}  // namespace
}  // namespace zavel
