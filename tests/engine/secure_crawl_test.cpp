// Crawls of sites served over TLS on loopback: HTTPS-only sites, plain servers that send
// everything on to their HTTPS twin, certificates that are not trusted, copies of compressed
// pages. Real worker, fetcher, expansion and libcurl; the servers' certificates are the tests'.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/crawl_engine.h"
#include "engine/record_answer.h"
#include "lists/word_list.h"
#include "platform/http/http_client.h"
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

std::string Links(std::initializer_list<std::string> targets) {
    std::string page = "<html><body>\n";
    for (const auto& target : targets) {
        page += "<a href=\"" + target + "\">" + target + "</a>\n";
    }
    return page + std::string(800, ' ') + "</body></html>\n";
}

class SecureCrawlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        programDir = dir.path() + "/prog/";
        std::filesystem::create_directories(programDir);
        test::WriteDefaultWordLists(programDir);
        destDir = dir.path() + "/dest";
        std::filesystem::create_directories(destDir);
        settings.mode = kModeGet;
        settings.otherServerLevel = 1;
        settings.maxLevel = 5;
        settings.destDir = std::make_shared<SharedText>(destDir);
        settings.fileTypes = std::make_shared<const std::string>("*.*;");
    }
    void TearDown() override {
        if (engine) {
            engine->EndWorker();
        }
    }

    void Crawl(const std::string& root) {
        engine = std::make_unique<CrawlEngine>(programDir);
        LinkArgs args;
        args.linkText = root;
        args.tempPath = programDir + "data";
        args.tree = &tree;
        args.settings = settings;
        args.label = engine->table().NextRootLabel();
        ASSERT_NE(engine->table().Construct(std::move(args)), nullptr);
        engine->StartWorker();
        const auto until = std::chrono::steady_clock::now() + 10s;
        while (!engine->table().CrawlSettled()) {
            ASSERT_LT(std::chrono::steady_clock::now(), until);
            std::this_thread::sleep_for(2ms);
        }
    }

    // "image scheme display-text" of every record, in table order; `host` is left out.
    std::vector<std::string> Summary(const std::string& host) {
        std::vector<std::string> rows;
        for (int i = 0; i < engine->table().Count(); ++i) {
            const LinkRecord* r = engine->table().RecordAt(i);
            std::string text = r->DisplayText();
            if (text.rfind(host, 0) == 0) {
                text.erase(0, host.size());
            }
            rows.push_back(std::to_string(tree.ItemOf(r->treeItem).image) +
                           (r->secure ? " s " : " p ") + text);
        }
        return rows;
    }

    test::TempDir dir;
    std::string programDir;
    std::string destDir;
    CrawlSettings settings;
    test::LoopbackServer secure{test::TrustedTestCertificate()};
    test::RecordingTree tree;
    std::unique_ptr<CrawlEngine> engine;
};

TEST_F(SecureCrawlTest, HttpsOnlySiteIsCrawledToTheEndAndMixedFormsAreOneRecord) {
    secure.Start();
    const std::string site = secure.origin();
    secure.Serve("/",
                 Links({"a.html", "/b/", site + "/a.html", "HTTP://" + secure.host() + "/a.html"}));
    secure.Serve("/a.html", Links({"c.html", "http://" + secure.host() + "/b/"}));
    secure.Serve("/b/", Links({"../a.html"}));
    secure.Serve("/c.html", "<p>c</p>" + std::string(900, '.'));
    Crawl("HTTPS://" + secure.host() + "/");

    // The absolute http and https forms of a.html and /b/ were declined as duplicates of the
    // relative links admitted first, which took the page's scheme.
    EXPECT_EQ(Summary(secure.host()), (std::vector<std::string>{
                                          "2 s /",
                                          "2 s /a.html",
                                          "2 s /b/",
                                          "2 s /c.html",
                                      }));
}

TEST_F(SecureCrawlTest, PlainServerSendingEverythingToItsHttpsTwinCostsOneRedirect) {
    test::LoopbackServer plain;
    std::atomic<int> redirects{0};
    plain.http().Get(R"(/.*)", [&](const httplib::Request& request, httplib::Response& response) {
        ++redirects;
        response.set_redirect(secure.origin() + request.path, 301);
    });
    secure.Serve("/", Links({"a.html", "b.html", "d/"}));
    secure.Serve("/a.html", Links({"b.html", "d/e.html"}));
    secure.Serve("/b.html", Links({}));
    secure.Serve("/d/", Links({"e.html"}));
    secure.Serve("/d/e.html", Links({"../a.html"}));
    secure.Start();
    plain.Start();
    Crawl("http://" + plain.host() + "/");

    // The records keep the address as written: plain, on the plain server's host text.
    EXPECT_EQ(Summary(plain.host()), (std::vector<std::string>{
                                         "2 p /",
                                         "2 p /a.html",
                                         "2 p /b.html",
                                         "2 p /d/",
                                         "2 p /d/e.html",
                                     }));
    EXPECT_EQ(redirects.load(), 1);
}

TEST_F(SecureCrawlTest, StrictTransportSecurityTakesPlainLinksToTheServerOverTls) {
    secure.http().Get("/", [](const httplib::Request& request, httplib::Response& response) {
        response.set_header("Strict-Transport-Security", "max-age=3600");
        const std::string link = "http://" + request.get_header_value("Host") + "/next.html";
        response.set_content(Links({link}), "text/html");
    });
    secure.Serve("/next.html", Links({}));
    // The policy is the host name's, whatever the port: other tests of this process must not
    // find plain addresses of localhost taken to TLS.
    secure.http().Get("/forget", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Strict-Transport-Security", "max-age=0");
    });
    secure.Start();
    // A named host: the policy is never kept for an address given as a number.
    const std::string host = "localhost:" + std::to_string(secure.port());
    Crawl("https://" + host + "/");

    // Over plain HTTP the TLS port would not have answered at all.
    EXPECT_EQ(Summary(host), (std::vector<std::string>{"2 s /", "2 p /next.html"}));
    platform::HttpGetRequest forget;
    forget.url = "https://" + host + "/forget";
    EXPECT_EQ(platform::HttpGet(forget).httpStatus, 200);
    forget.url = "http://" + host + "/forget";
    EXPECT_EQ(platform::HttpGet(forget).result, platform::HttpResult::kSendFailed);
}

TEST_F(SecureCrawlTest, CopyModeSavesTheDecodedPagesAndAnUntrustedServerNothing) {
    settings.mode = kModeCopy;
    // Long and repetitive: the server compresses it for a client that asks.
    const std::string text = "<p>" + std::string(20000, 'z') + "</p>";
    secure.Serve("/", Links({"t.html"}));
    std::string asked;
    secure.http().Get("/t.html", [&](const httplib::Request& request, httplib::Response& response) {
        asked = request.get_header_value("Accept-Encoding");
        response.set_content(text, "text/html");
    });
    secure.Start();
    Crawl("https://" + secure.host() + "/");
    EXPECT_NE(asked.find("gzip"), std::string::npos) << asked;
    EXPECT_NE(asked.find("br"), std::string::npos) << asked;
    EXPECT_NE(asked.find("zstd"), std::string::npos) << asked;
    EXPECT_EQ(ReadFileBytes(destDir + "/index.html"), Links({"t.html"}));
    EXPECT_EQ(ReadFileBytes(destDir + "/t.html"), text);

    test::LoopbackServer untrusted(test::UntrustedTestCertificate());
    untrusted.Serve("/other.html", text);
    untrusted.Start();
    engine->EndWorker();
    Crawl("https://" + untrusted.host() + "/other.html");
    EXPECT_EQ(Summary(untrusted.host()), (std::vector<std::string>{"0 s /other.html"}));
    EXPECT_FALSE(FileExists(destDir + "/other.html"));
    // The report names the address with its scheme and the reason in words.
    const LinkRecord* failed = engine->table().RecordAt(0);
    EXPECT_EQ(failed->RequestAddress(), "https://" + untrusted.host() + "/other.html");
    EXPECT_EQ(ReasonText(engine->table().AnswerOf(*failed)), "certificate not trusted");
}

}  // namespace
}  // namespace zavel
