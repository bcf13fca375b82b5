// Adding roots, clicking items and opening them in the browser: the settings read from the
// controls, the per-root sort and show-expanded, the click that only the mouse makes, and the
// browser started with the item's address.
#include <QTest>

#include <atomic>

#include "tests/ui/crawl_fixture.h"

namespace zavel {
namespace {

using test::CrawlUiTest;
using test::LinkPage;
using test::WaitUntil;

TEST_F(CrawlUiTest, AddReadsAndNormalisesTheSettingsOfTheControls) {
    auto frame = StartCrawler();
    struct Case {
        bool copy;  // copies only into the test's own folder
        QString destination, fileTypes, foreign, max;
        std::string storedDestination, storedTypes;
        int storedForeign, storedMax;
    };
    const QString copies = QString::fromStdString(root / "copies/");
    const Case cases[] = {
        {true, copies, "*.htm", "2", "7x", root / "copies", "*.htm;", 2, 7},
        {false, "/", "", "abc", " 3", "/", ";", 0, 3},
        {false, "/srv//", "*.*;", "-1", "", "/srv/", "*.*;", -1, 0},
        {false, QString(250, 'd'), QString(250, 't'), "1", "1", std::string(199, 'd'),
         std::string(198, 't') + ";", 1, 1},
    };
    // Nothing listens there: the roots fail at once, without leaving the machine.
    const std::string unserved = "127.0.0.1:" + std::to_string(test::UnusedLoopbackPort()) + "/";
    int roots = 0;
    for (const Case& c : cases) {
        frame->destinationEdit->setText(c.destination);
        frame->fileTypeEdit->setText(c.fileTypes);
        frame->foreignLevelEdit->setText(c.foreign);
        frame->maxLevelEdit->setText(c.max);
        (c.copy ? frame->copyRadio : frame->getRadio)->setChecked(true);
        frame->rewriteCheck->setChecked(roots % 2 == 0);
        frame->addressEdit->setText(QString::fromStdString(unserved));
        frame->RunCommand(kCommandAdd);
        ++roots;
        ASSERT_EQ(frame->engine->table().Count(), roots);
        const LinkRecord* record = frame->engine->table().RecordAt(roots - 1);
        EXPECT_EQ(record->destDir->Get(), c.storedDestination);
        EXPECT_EQ(*record->fileTypes, c.storedTypes);
        EXPECT_EQ(record->otherServerLevel, c.storedForeign);
        EXPECT_EQ(record->maxLevel, c.storedMax);
        EXPECT_EQ(record->mode, c.copy ? kModeCopy : kModeGet);
        EXPECT_EQ(record->rewrite, roots % 2);
        // The settings record takes the new root's settings; each root has its own texts.
        EXPECT_EQ(frame->settingsRecord->destDir->Get(), c.storedDestination);
        EXPECT_EQ(frame->settingsRecord->destDir, record->destDir);
        EXPECT_EQ(frame->destinationText, record->destDir);
    }
    EXPECT_NE(frame->engine->table().RecordAt(0)->destDir,
              frame->engine->table().RecordAt(1)->destDir);

    // An empty address adds nothing but still replaces the texts.
    frame->addressEdit->clear();
    frame->destinationEdit->setText("/other/");
    frame->RunCommand(kCommandAdd);
    EXPECT_EQ(frame->engine->table().Count(), roots);
    EXPECT_EQ(frame->destinationText->Get(), "/other");
}

TEST_F(CrawlUiTest, SameAddressTwiceMakesTwoRootsLabelledAAndB) {
    server.Serve("/", LinkPage({}));
    auto frame = StartCrawler();
    TypeAndAdd(*frame, Address("/"));
    QTest::keyClick(frame->addressEdit, Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(frame->engine->table().Count(), 2);
    EXPECT_EQ(frame->engine->table().RecordAt(0)->label, "A");
    EXPECT_EQ(frame->engine->table().RecordAt(1)->label, "B");
    ASSERT_TRUE(WaitSettled(*frame));
    EXPECT_EQ(ChildTexts(*frame, nullptr), (std::vector<std::string>{Address("/"), Address("/")}));
}

TEST_F(CrawlUiTest, SortAndShowExpandedAreEachRootsOwn) {
    // Links found in an order that is not alphabetical.
    server.Serve("/u/", LinkPage({"z.html", "m.html", "a.html", "q.html"}));
    server.Serve("/s/", LinkPage({"z.html", "m.html", "a.html", "q.html"}));
    for (const char* dir : {"/u/", "/s/"}) {
        for (const char* page : {"z.html", "m.html", "a.html", "q.html"}) {
            server.Serve(std::string(dir) + page, LinkPage({}));
        }
    }
    auto frame = StartCrawler();
    const auto children = [&](const char* dir) {
        std::vector<std::string> texts;
        for (const char* page : {"z.html", "m.html", "a.html", "q.html"}) {
            texts.push_back(Address(std::string(dir) + page));
        }
        return texts;
    };

    // Unsorted and shown closed; the boxes changed after the Add do not change this root.
    frame->sortCheck->setChecked(false);
    frame->showExpandedCheck->setChecked(false);
    TypeAndAdd(*frame, Address("/u/"));
    frame->sortCheck->setChecked(true);
    frame->showExpandedCheck->setChecked(true);
    ASSERT_TRUE(WaitSettled(*frame));
    QTreeWidgetItem* unsorted = Item(*frame, Address("/u/"));
    ASSERT_NE(unsorted, nullptr);
    EXPECT_EQ(ChildTexts(*frame, unsorted), children("/u/"));
    EXPECT_FALSE(unsorted->isExpanded());

    // Sorted and shown open, from the toggles' shortcuts... already set: add the second root.
    TypeAndAdd(*frame, Address("/s/"));
    ASSERT_TRUE(WaitSettled(*frame));
    QTreeWidgetItem* sorted = Item(*frame, Address("/s/"));
    ASSERT_NE(sorted, nullptr);
    auto expected = children("/s/");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ChildTexts(*frame, sorted), expected);
    EXPECT_TRUE(sorted->isExpanded());
    // The sorted root's insertion sorted the top level: "/s/" now comes before "/u/".
    EXPECT_EQ(ChildTexts(*frame, nullptr),
              (std::vector<std::string>{Address("/s/"), Address("/u/")}));
}

TEST_F(CrawlUiTest, ClickShowsTheItemsSettingsAndAddressButTheKeyboardDoesNot) {
    server.Serve("/", LinkPage({"a.html"}));
    server.Serve("/a.html", LinkPage({}));
    auto frame = StartCrawler();
    frame->maxLevelEdit->setText("9");
    frame->rewriteCheck->setChecked(true);
    TypeAndAdd(*frame, Address("/"));
    ASSERT_TRUE(WaitSettled(*frame));
    // Controls changed after the Add; the record keeps the settings of its Add.
    frame->maxLevelEdit->setText("55");
    frame->rewriteCheck->setChecked(false);
    frame->addressEdit->setText("typed.example/");

    QTreeWidgetItem* root = Item(*frame, Address("/"));
    QTreeWidgetItem* a = Item(*frame, Address("/a.html"));
    frame->tree->setFocus();
    frame->tree->setCurrentItem(root);
    QTest::keyClick(frame->tree, Qt::Key_Down);
    ASSERT_EQ(frame->tree->SelectedItem(), a);
    EXPECT_EQ(frame->addressEdit->text(), "typed.example/");
    EXPECT_EQ(frame->maxLevelEdit->text(), "55");
    EXPECT_EQ(Commands(*frame), (std::vector<bool>{true, false, false, false, false}));
    EXPECT_EQ(frame->tree->DropHighlight(), nullptr);

    Click(*frame, a);
    EXPECT_EQ(frame->addressEdit->text().toStdString(), Address("/a.html"));
    EXPECT_EQ(frame->maxLevelEdit->text(), "9");
    EXPECT_TRUE(frame->rewriteCheck->isChecked());
    EXPECT_EQ(frame->settingsRecord->maxLevel, 9);
    EXPECT_EQ(frame->tree->DropHighlight(), a);

    // A click beside every item keeps the selection, and the handler runs for it again.
    frame->addressEdit->setText("typed.example/");
    const QPoint below(5, frame->tree->viewport()->height() - 3);
    ASSERT_EQ(frame->tree->itemAt(below), nullptr);
    QTest::mouseClick(frame->tree->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(frame->tree->SelectedItem(), a);
    EXPECT_EQ(frame->addressEdit->text().toStdString(), Address("/a.html"));
}

TEST_F(CrawlUiTest, ExploreAndDoubleClickOpenTheBrowserOnTheItemsAddress) {
    server.Serve("/", LinkPage({"a.html"}));
    server.Serve("/a.html", LinkPage({}));
    auto frame = StartCrawler();
    TypeAndAdd(*frame, Address("/"));
    ASSERT_TRUE(WaitSettled(*frame));
    QTreeWidgetItem* root = Item(*frame, Address("/"));
    ASSERT_TRUE(root->isExpanded());

    // The double click opens the browser and leaves the item open or closed as it was.
    DoubleClick(*frame, root);
    EXPECT_TRUE(root->isExpanded());
    root->setExpanded(false);
    DoubleClick(*frame, root);
    EXPECT_FALSE(root->isExpanded());

    Click(*frame, Item(*frame, root->isExpanded() ? Address("/a.html") : Address("/")));
    frame->addressEdit->setFocus();
    QTest::keyClick(frame->addressEdit, Qt::Key_X, Qt::ControlModifier);
    frame->RunCommand(kCommandExplore);
    const std::vector<std::string> rootArgs{"test-browser", "--new", "http://" + Address("/")};
    EXPECT_EQ(started(), (std::vector<std::vector<std::string>>(4, rootArgs)));
    // Opening the browser does not change the marking.
    EXPECT_EQ(frame->tree->DropHighlight(), root);
}

TEST_F(CrawlUiTest, WithoutABrowserNothingIsStartedAndNothingIsSaid) {
    server.Serve("/", LinkPage({}));
    auto frame = StartCrawler();
    test::WriteFileBytes(root / "config/mimeapps.list", "[Default Applications]\n");
    TypeAndAdd(*frame, Address("/"));
    ASSERT_TRUE(WaitSettled(*frame));
    Click(*frame, Item(*frame, Address("/")));
    frame->RunCommand(kCommandExplore);
    EXPECT_TRUE(started().empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(CrawlUiTest, OnlyALeftClickSelectsAndTheCommandsActOnWhatItShows) {
    server.Serve("/a/", LinkPage({}));
    server.Serve("/b/", LinkPage({}));
    auto frame = StartCrawler();
    TypeAndAdd(*frame, Address("/a/"));
    TypeAndAdd(*frame, Address("/b/"));
    ASSERT_TRUE(WaitSettled(*frame));
    QTreeWidgetItem* a = Item(*frame, Address("/a/"));
    QTreeWidgetItem* b = Item(*frame, Address("/b/"));
    ASSERT_TRUE(a != nullptr && b != nullptr);
    Click(*frame, a);
    QWidget* view = frame->tree->viewport();
    const auto at = [&](QTreeWidgetItem* item) {
        return frame->tree->visualItemRect(item).center();
    };

    // Other buttons, a Ctrl+click on the selected item, a drag from it to another item, and
    // Ctrl+Space, which would take the selection off it.
    QTest::mouseClick(view, Qt::RightButton, {}, at(b));
    QTest::mouseClick(view, Qt::MiddleButton, {}, at(b));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, at(a));
    QTest::mousePress(view, Qt::LeftButton, {}, at(a));
    QTest::mouseMove(view, at(b));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at(b));
    frame->tree->setFocus();
    QTest::keyClick(frame->tree, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(frame->tree->SelectedItem(), a);
    EXPECT_EQ(frame->addressEdit->text().toStdString(), Address("/a/"));
    EXPECT_EQ(Commands(*frame), (std::vector<bool>{true, true, false, true, true}));

    frame->RunCommand(kCommandRemove);
    ASSERT_TRUE(WaitSettled(*frame));
    EXPECT_EQ(ChildTexts(*frame, nullptr), (std::vector<std::string>{Address("/b/")}));
}

TEST_F(CrawlUiTest, BytesThatAreNotUtf8ShowAsLatin1AndGoBackExactly) {
    server.Serve("/", LinkPage({"%E9t%E9.htm"}));
    std::atomic<int> hits{0};
    server.http().Get("/\xE9t\xE9.htm", [&hits](const httplib::Request&, httplib::Response& r) {
        ++hits;
        r.set_content(LinkPage({}), "text/html");
    });
    auto frame = StartCrawler();
    TypeAndAdd(*frame, Address("/"));
    ASSERT_TRUE(WaitSettled(*frame));
    ASSERT_EQ(hits.load(), 1);
    const std::string bytes = Address("/\xE9t\xE9.htm");
    const QString shown =
        QString::fromStdString(Address("/")) + QStringLiteral("\u00E9t\u00E9.htm");
    const auto found = frame->tree->findItems(shown, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    // The progress display shows the record the same way.
    LinkTable& table = frame->engine->table();
    ASSERT_EQ(table.RecordAt(1)->DisplayText(), bytes);
    table.currentRecord.store(table.RecordAt(1));
    table.currentIndex.store(1);
    frame->OnUpdateStatusPane();
    EXPECT_TRUE(frame->statusPane->text().contains(shown));

    // The click hands the record's bytes to the field, and Add takes them back as they were.
    Click(*frame, found.front());
    EXPECT_EQ(frame->addressEdit->text(), shown);
    QTest::keyClick(frame->addressEdit, Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(WaitSettled(*frame));
    EXPECT_EQ(table.RecordAt(table.Count() - 1)->DisplayText(), bytes);
    EXPECT_EQ(hits.load(), 2);

    // The settings file keeps those bytes, and the next start shows them the same way.
    frame->close();
    EXPECT_NE(ReadStatus().find("\n" + bytes + "\n"), std::string::npos);
    frame = Start();
    EXPECT_EQ(frame->addressEdit->text(), shown);
    EXPECT_EQ(frame->addressEdit->Bytes(), bytes);
    // Typed over, the text stays Latin-1 while it can; emptied, the field reads UTF-8 again.
    frame->addressEdit->end(false);
    frame->addressEdit->insert(QStringLiteral("\u00E9"));
    EXPECT_EQ(frame->addressEdit->Bytes(), bytes + "\xE9");
    frame->addressEdit->clear();
    frame->addressEdit->insert(QStringLiteral("\u00E9"));
    EXPECT_EQ(frame->addressEdit->Bytes(), "\xC3\xA9");
}

}  // namespace
}  // namespace zavel
