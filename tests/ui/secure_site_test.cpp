// A site that serves HTTPS only, crawled through the window: the address typed with
// "https://" reaches every page, and the browser is handed the items' addresses over HTTPS.
#include <QTest>

#include "tests/support/test_certificate.h"
#include "tests/ui/crawl_fixture.h"

namespace zavel {
namespace {

using test::CrawlUiTest;
using test::LinkPage;

TEST_F(CrawlUiTest, HttpsOnlySiteCrawlsCompletelyAndExploreKeepsTheScheme) {
    test::LoopbackServer secure(test::TrustedTestCertificate());
    secure.Serve("/", LinkPage({"a.html", "b/"}));
    secure.Serve("/a.html", LinkPage({"b/c.html"}));
    secure.Serve("/b/", LinkPage({}));
    secure.Serve("/b/c.html", LinkPage({}));
    secure.Start();
    auto frame = StartCrawler();
    const std::string site = secure.host();
    TypeAndAdd(*frame, "Https://" + site + "/");
    ASSERT_TRUE(WaitSettled(*frame));

    for (const std::string path : {"/", "/a.html", "/b/", "/b/c.html"}) {
        QTreeWidgetItem* item = Item(*frame, site + path);
        ASSERT_NE(item, nullptr) << path;
        EXPECT_EQ(Image(*frame, item), 2) << path;
    }
    Click(*frame, Item(*frame, site + "/b/c.html"));
    frame->RunCommand(kCommandExplore);
    EXPECT_EQ(started(), (std::vector<std::vector<std::string>>{
                             {"test-browser", "--new", "https://" + site + "/b/c.html"}}));
}

}  // namespace
}  // namespace zavel
