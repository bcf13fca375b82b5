// The crawl report in the window: the problems window filling live and its double click, and
// File, Export writing the CSV and the sitemap chosen in the save dialog.
#include <QTest>
#include <QXmlStreamReader>

#include <set>

#include "tests/support/strict_csv.h"
#include "tests/ui/crawl_fixture.h"
#include "ui/problems_window.h"

namespace zavel {
namespace {

using test::CrawlUiTest;
using test::LinkPage;
using test::WaitUntil;

// Get mode, other servers up to level 2, maximum level 5.
constexpr const char* kStatus = "1\r\n2\r\n5\r\n/tmp\r\n*.*;\r\n0\r\n0\r\n0\r\n0\r\n\r\n";

class ReportUiTest : public CrawlUiTest {
  protected:
    void ServeSite() {
        refused = "127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/x.html";
        server.Serve("/", LinkPage({"missing.html", "gone.html", "http://" + refused, "ok.html",
                                    "old.html"}));
        server.Serve("/missing.html", LinkPage({}), 404);
        server.Serve("/gone.html", "404 not found");
        server.Serve("/ok.html", LinkPage({}));
        server.http().Get("/old.html", [](const httplib::Request&, httplib::Response& response) {
            response.set_redirect("/ok.html", 302);
        });
        server.Start();
    }
    std::string refused;
};

TEST_F(ReportUiTest, ProblemsWindowListsEveryFailureLiveAndADoubleClickSelectsIt) {
    ServeSite();
    auto frame = StartCrawler(kStatus);
    // Opened before the crawl, from the address field: Ctrl+P is the window's key.
    QTest::keyClick(frame->addressEdit, Qt::Key_P, Qt::ControlModifier);
    ASSERT_NE(frame->problemsWindow, nullptr);
    ASSERT_TRUE(frame->problemsWindow->isVisible());
    ProblemsModel& model = frame->problemsWindow->model();
    EXPECT_EQ(model.rowCount(), 0);

    TypeAndAdd(*frame, Address("/"));
    ASSERT_TRUE(WaitSettled(*frame));
    // The rows come with the tree's own updates, without another command.
    ASSERT_TRUE(WaitUntil([&] { return model.rowCount() == 3; }));
    std::set<std::vector<QString>> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        rows.insert({model.index(row, 0).data().toString(), model.index(row, 1).data().toString(),
                     model.index(row, 2).data().toString()});
    }
    const QString root = QString::fromStdString("http://" + Address("/"));
    EXPECT_EQ(
        rows,
        (std::set<std::vector<QString>>{
            {QString::fromStdString("http://" + Address("/missing.html")), "404 Not Found", root},
            {QString::fromStdString("http://" + Address("/gone.html")),
             "error phrase \"404 not found\"", root},
            {QString::fromStdString("http://" + refused), "connection refused", root},
        }));
    EXPECT_EQ(frame->problemsWindow->windowTitle(), "Problems (3)");

    // A double click on a row selects its item as a left click does.
    QTreeView* view = frame->problemsWindow->view();
    const QModelIndex second = model.index(1, 0);
    const std::string address = model.index(1, 0).data().toString().toStdString().substr(7);
    view->scrollTo(second);
    const QPoint at = view->visualRect(second).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QTreeWidgetItem* selected = frame->tree->SelectedItem();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->text(0).toStdString(), address);
    EXPECT_EQ(frame->addressEdit->text().toStdString(), address);
    EXPECT_EQ(Commands(*frame), (std::vector<bool>{true, true, false, true, true}));

    // Remove of the root takes every row away.
    frame->SelectTreeItem(TreePresenter::IdOf(Item(*frame, Address("/"))));
    frame->RunCommand(kCommandRemove);
    EXPECT_TRUE(WaitUntil([&] { return model.rowCount() == 0; }));
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(ReportUiTest, ExportWritesTheCsvOrTheSitemapChosenInTheSaveDialog) {
    ServeSite();
    auto frame = StartCrawler(kStatus);
    TypeAndAdd(*frame, Address("/"));
    ASSERT_TRUE(WaitSettled(*frame));
    std::string chosenPath;
    int chosenType = 0;
    std::vector<SaveDialogSettings> asked;
    frame->saveDialog = [&](QWidget*, const SaveDialogSettings& settings) {
        asked.push_back(settings);
        *settings.chosenChoice = chosenType;
        return std::optional<std::string>(chosenPath);
    };

    chosenPath = root / "crawl.csv";
    frame->RunCommand(kCommandExport);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].proposedName, "crawl.csv");
    EXPECT_EQ(asked[0].fileTypeChoices.size(), 2);
    std::string error;
    const auto csv = test::ReadStrictCsv(test::ReadFileBytes(chosenPath), &error);
    ASSERT_TRUE(csv) << error;
    // One row per item of the tree.
    EXPECT_EQ(csv->size(), static_cast<std::size_t>(frame->treePresenter->ItemCount()) + 1);
    EXPECT_EQ(csv->at(1).at(3), "http://" + Address("/"));

    // A name without an extension takes the type chosen in the dialog.
    chosenPath = root / "map";
    chosenType = 1;
    frame->RunCommand(kCommandExport);
    QXmlStreamReader xml(QByteArray::fromStdString(test::ReadFileBytes(chosenPath)));
    std::set<std::string> locs;
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), QStringLiteral("urlset"));
    EXPECT_EQ(xml.namespaceUri(), QStringLiteral("http://www.sitemaps.org/schemas/sitemap/0.9"));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QStringLiteral("loc")) {
            locs.insert(xml.readElementText().toStdString());
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    // The pages that answered 200, the redirect by its target, each once.
    EXPECT_EQ(locs,
              (std::set<std::string>{"http://" + Address("/"), "http://" + Address("/ok.html")}));

    // A file that cannot be written is said, and nothing is left of it.
    chosenPath = root / "no-such-folder/crawl.csv";
    frame->RunCommand(kCommandExport);
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{chosenPath + ": File cannot be written"}));
    EXPECT_FALSE(test::FileExists(chosenPath));
}

}  // namespace
}  // namespace zavel
