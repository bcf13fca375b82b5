// The offline-links option through the window, and a copied site read in Qt's own HTML viewer.
#include <QTest>
#include <QTextBrowser>

#include "tests/support/temp_dir.h"
#include "tests/ui/crawl_fixture.h"
#include "ui/main_menu.h"

namespace zavel {
namespace {

using test::CrawlUiTest;

bool OfflineChecked(MainFrame& frame) {
    frame.UpdateCommandStates();
    return frame.menu.action(kCommandOfflineLinks)->isChecked();
}

TEST_F(CrawlUiTest, OfflineLinksAreARootSettingAndTheCopyReadsInTheHtmlViewer) {
    test::TempDir copies;
    server.Serve("/", "<html><body><p>Start</p><a href=\"/docs/guide.html\">Guide</a>" +
                          std::string(800, ' ') + "</body></html>");
    server.Serve("/docs/guide.html", "<html><body><p>The guide</p><a href=\"/\">Back</a>" +
                                         std::string(800, ' ') + "</body></html>");
    // Copy mode with directories, and line 12 on.
    auto frame = StartCrawler("2\r\n0\r\n100\r\n" + copies.path() +
                              "\r\n*.*;\r\n1\r\n0\r\n0\r\n0\r\n\r\n6\r\n1\r\n");
    ASSERT_TRUE(OfflineChecked(*frame));
    const std::string root = Address("/");
    TypeAndAdd(*frame, root);
    ASSERT_TRUE(WaitSettled(*frame));

    // The option belongs to the root: switched off for the next one, a click on the root's item
    // shows it on again.
    frame->RunCommand(kCommandOfflineLinks);
    EXPECT_FALSE(OfflineChecked(*frame));
    Click(*frame, Item(*frame, root));
    EXPECT_TRUE(OfflineChecked(*frame));

    QTextBrowser viewer;
    viewer.setSource(QUrl::fromLocalFile(QString::fromStdString(copies / "index.html")));
    viewer.show();
    ASSERT_TRUE(viewer.toPlainText().contains("Start"));
    viewer.setFocus();
    QTest::keyClick(&viewer, Qt::Key_Tab);  // to the first link
    QTest::keyClick(&viewer, Qt::Key_Return);
    EXPECT_EQ(viewer.source().toLocalFile().toStdString(), copies / "docs/guide.html");
    EXPECT_TRUE(viewer.toPlainText().contains("The guide"));

    // The root clicked last is what the settings file keeps.
    frame->close();
    EXPECT_EQ(ReadStatus().substr(ReadStatus().rfind("\n6\n")), "\n6\n1\n");
}

}  // namespace
}  // namespace zavel
