// The command table: the menu as built, the rules that enable and check its items (asked when a
// pop-up opens and before a command runs), the accelerators taking their keys from every
// control, and the switches.
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>

#include <map>

#include "tests/ui/crawl_fixture.h"
#include "ui/command_table.h"

namespace zavel {
namespace {

using test::CrawlUiTest;
using test::UiTest;
using test::WaitUntil;

struct Row {
    std::string label;  // "-" for a separator
    std::string shortcut;
    int id;
};

QMenu* PopUp(const MainFrame& frame, const QString& title) {
    for (QAction* top : frame.menuBar()->actions()) {
        if (top->text() == title) {
            return top->menu();
        }
    }
    return nullptr;
}

// Opens a pop-up as the user does and reads its items' states, then closes it.
std::map<int, std::pair<bool, bool>> OpenAndRead(const MainFrame& frame, const QString& title) {
    QMenu* menu = PopUp(frame, title);
    std::map<int, std::pair<bool, bool>> states;
    if (menu == nullptr) {
        return states;
    }
    menu->popup(frame.mapToGlobal(QPoint(10, 10)));
    for (QAction* item : menu->actions()) {
        if (!item->isSeparator()) {
            states[item->data().toInt()] = {item->isEnabled(), item->isChecked()};
        }
    }
    menu->hide();
    return states;
}

std::map<int, std::pair<bool, bool>> OpenAll(const MainFrame& frame) {
    std::map<int, std::pair<bool, bool>> all;
    for (const char* title : {"&File", "&View", "&Settings", "&Help"}) {
        all.merge(OpenAndRead(frame, title));
    }
    return all;
}

TEST(AcceleratorTable, NineKeysWithExactlyTheirModifiers) {
    const std::pair<QKeyCombination, int> table[] = {
        {Qt::CTRL | Qt::Key_A, kCommandAdd},
        {Qt::CTRL | Qt::Key_C, kCommandCopyDirectory},
        {Qt::CTRL | Qt::Key_E, kCommandExpand},
        {Qt::CTRL | Qt::Key_K, kCommandKeywords},
        {Qt::CTRL | Qt::Key_R, kCommandRewrite},
        {Qt::CTRL | Qt::Key_S, kCommandShowExpanded},
        {Qt::CTRL | Qt::Key_T, kCommandSort},
        {QKeyCombination(Qt::Key_F1), kCommandHelp},
        {Qt::CTRL | Qt::Key_X, kCommandExplore},
        {Qt::CTRL | Qt::Key_P, kCommandProblems},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_A, 0},
        {Qt::ALT | Qt::Key_A, 0},
        {QKeyCombination(Qt::Key_A), 0},
        {Qt::CTRL | Qt::Key_F1, 0},
        {Qt::CTRL | Qt::Key_V, 0},
        {QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_X), kCommandExplore},
    };
    for (const auto& [key, command] : table) {
        EXPECT_EQ(AcceleratorCommand(key), command) << QKeySequence(key).toString().toStdString();
    }
}

TEST_F(UiTest, MenuHasItsFourPopUpsWithLabelsSeparatorsShortcutsAndIds) {
    Install();
    auto frame = Start();
    const std::vector<std::pair<std::string, std::vector<Row>>> table = {
        {"&File",
         {{"&Add", "Ctrl+A", 40009},
          {"&Remove", "", 40010},
          {"&Expand", "Ctrl+E", 40011},
          {"&Stop", "", 40006},
          {"-", "", 0},
          {"&Copy Directory", "Ctrl+C", 40013},
          {"Re&write", "Ctrl+R", 40017},
          {"&Offline Links", "", 40027},
          {"-", "", 0},
          {"Sa&ve As...", "", 40012},
          {"E&xplore", "Ctrl+X", 40025},
          {"Ex&port...", "", kCommandExport},
          {"-", "", 0},
          {"&Quit", "", 40018}}},
        {"&View",
         {{"Show Expanded", "Ctrl+S", 40014},
          {"Sort", "Ctrl+T", 40015},
          {"-", "", 0},
          {"Status Bar", "", 40016},
          {"-", "", 0},
          {"&Problems", "Ctrl+P", kCommandProblems}}},
        {"&Settings",
         {{"&Keywords", "Ctrl+K", 40019},
          {"-", "", 0},
          {"&Extensions", "", 40021},
          {"&Reserved Words", "", 40022},
          {"E&rrors", "", 40026},
          {"-", "", 0},
          {"Requests at &Once", "", 40100}}},
        {"&Help", {{"&How to use ZAVEL", "F1", 40023}, {"-", "", 0}, {"&About", "", 40007}}},
    };
    const QList<QAction*> tops = frame->menuBar()->actions();
    ASSERT_EQ(tops.size(), 4);
    for (std::size_t p = 0; p < table.size(); ++p) {
        const auto& [title, rows] = table[p];
        EXPECT_EQ(tops[static_cast<int>(p)]->text().toStdString(), title);
        const QList<QAction*> items = tops[static_cast<int>(p)]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(rows.size())) << title;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const QAction* item = items[static_cast<int>(i)];
            const Row& row = rows[i];
            if (row.label == "-") {
                EXPECT_TRUE(item->isSeparator()) << title << " " << i;
                continue;
            }
            EXPECT_EQ(item->text().toStdString(), row.label);
            EXPECT_EQ(item->shortcut().toString().toStdString(), row.shortcut) << row.label;
            EXPECT_EQ(item->data().toInt(), row.id) << row.label;
            if (QMenu* sub = item->menu()) {
                // The submenu's items are commands of their own.
                std::vector<std::string> labels;
                for (QAction* choice : sub->actions()) {
                    labels.push_back(choice->text().toStdString());
                    EXPECT_EQ(frame->menu.action(choice->data().toInt()), choice);
                }
                EXPECT_EQ(labels, (std::vector<std::string>{"1", "2", "4", "6", "8", "16"}));
                continue;
            }
            EXPECT_EQ(frame->menu.action(row.id), item);
        }
    }
}

TEST_F(CrawlUiTest, RightAfterStartOnlyTheDocumentedCommandsAreEnabled) {
    // Only "rewrite" is checked, so every check mark can be told from its box.
    auto frame = StartCrawler("1\r\n0\r\n100\r\n/tmp\r\n*.*;\r\n0\r\n1\r\n0\r\n0\r\n\r\n");
    const auto states = OpenAll(*frame);
    ASSERT_EQ(states.size(), 22u);  // with the submenu of requests at once
    // Export waits for something to export.
    const std::set<int> grey = {kCommandRemove, kCommandExpand,  kCommandStop,
                                kCommandSaveAs, kCommandExplore, kCommandExport};
    for (const auto& [id, state] : states) {
        EXPECT_EQ(state.first, grey.count(id) == 0) << id;
        const bool checked = id == kCommandRewrite || id == kCommandStatusBar;
        EXPECT_EQ(state.second, checked) << id;
    }
}

TEST_F(CrawlUiTest, DisabledCommandsDoNothingFromShortcutOrMenu) {
    server.Serve("/", test::LinkPage({}));
    auto frame = StartCrawler();
    const std::string root = Address("/");
    TypeAndAdd(*frame, root);
    ASSERT_TRUE(WaitSettled(*frame));
    QTreeWidgetItem* item = Item(*frame, root);
    ASSERT_NE(item, nullptr);
    // Held, and selected with the keyboard only: no click has made any command available.
    LinkRecord* record = frame->engine->table().RecordAt(0);
    record->held.store(1);
    frame->tree->setCurrentItem(item);
    ASSERT_EQ(frame->tree->SelectedItem(), item);
    ASSERT_EQ(Commands(*frame), (std::vector<bool>{true, false, false, false, false}));

    frame->addressEdit->setFocus();
    frame->addressEdit->setText("typed.example/");
    frame->addressEdit->selectAll();
    QTest::keyClick(frame->addressEdit, Qt::Key_X, Qt::ControlModifier);  // Explore
    QTest::keyClick(frame->addressEdit, Qt::Key_E, Qt::ControlModifier);  // Expand
    frame->RunCommand(kCommandExplore);
    frame->RunCommand(kCommandRemove);
    frame->menu.action(kCommandExpand)->trigger();
    EXPECT_EQ(frame->addressEdit->text(), "typed.example/");  // not cut either
    EXPECT_TRUE(started().empty());
    EXPECT_EQ(record->held.load(), 1);
    EXPECT_EQ(frame->engine->table().Count(), 1);

    // The same keys once a click has made the commands available.
    record->held.store(0);
    Click(*frame, item);
    ASSERT_EQ(Commands(*frame), (std::vector<bool>{true, true, false, true, true}));
    QTest::keyClick(frame->tree, Qt::Key_X, Qt::ControlModifier);
    ASSERT_EQ(started().size(), 1u);
    EXPECT_EQ(started()[0], (std::vector<std::string>{"test-browser", "--new", "http://" + root}));
}

TEST_F(CrawlUiTest, TogglesFlipTheirBoxesFromEveryControlAndTheMenuFollowsTheBoxes) {
    auto frame = StartCrawler("1\r\n0\r\n100\r\n/tmp\r\n*.*;\r\n0\r\n0\r\n0\r\n0\r\n\r\n");
    const std::pair<Qt::Key, QCheckBox*> toggles[] = {
        {Qt::Key_C, frame->copyDirectoryCheck},
        {Qt::Key_R, frame->rewriteCheck},
        {Qt::Key_S, frame->showExpandedCheck},
        {Qt::Key_T, frame->sortCheck},
    };
    QApplication::clipboard()->setText("before");
    frame->addressEdit->setText("some.example/");
    frame->addressEdit->selectAll();
    // From an edit, the tree, a check box and the window itself: the key is the command's.
    for (QWidget* focus : std::initializer_list<QWidget*>{frame->addressEdit, frame->tree,
                                                          frame->sortCheck, frame->clientArea}) {
        for (const auto& [key, box] : toggles) {
            const bool before = box->isChecked();
            QTest::keyClick(focus, key, Qt::ControlModifier);
            EXPECT_NE(box->isChecked(), before) << box->text().toStdString();
        }
    }
    EXPECT_EQ(QApplication::clipboard()->text(), "before");  // Ctrl+C is no copy
    EXPECT_EQ(frame->addressEdit->text(), "some.example/");

    // The menu items toggle the same boxes; a box clicked directly shows at the next pop-up.
    frame->menu.action(kCommandRewrite)->trigger();
    EXPECT_TRUE(frame->rewriteCheck->isChecked());
    QTest::mouseClick(frame->copyDirectoryCheck, Qt::LeftButton);
    ASSERT_TRUE(frame->copyDirectoryCheck->isChecked());
    const auto file = OpenAndRead(*frame, "&File");
    EXPECT_TRUE(file.at(kCommandCopyDirectory).second);
    EXPECT_TRUE(file.at(kCommandRewrite).second);
    frame->sortCheck->setChecked(true);
    EXPECT_TRUE(OpenAndRead(*frame, "&View").at(kCommandSort).second);
    EXPECT_FALSE(OpenAndRead(*frame, "&View").at(kCommandShowExpanded).second);
}

TEST_F(CrawlUiTest, WordListCommandsAreGreyWhileAToolWindowIsOpen) {
    auto frame = StartCrawler();
    frame->toolWindowOpen = 1;
    for (const auto& [id, state] : OpenAndRead(*frame, "&Settings")) {
        // The requests at once are no word list: they stay available.
        EXPECT_EQ(state.first, id == kCommandRequestsAtOnce) << id;
    }
    EXPECT_TRUE(OpenAndRead(*frame, "&Help").at(kCommandHelp).first);
    frame->toolWindowOpen = 0;
    for (const auto& [id, state] : OpenAndRead(*frame, "&Settings")) {
        EXPECT_TRUE(state.first) << id;
    }
}

TEST_F(CrawlUiTest, ExploreIsAvailableExactlyWhenRemoveIs) {
    auto frame = StartCrawler();
    for (bool remove : {true, false, true}) {
        frame->ApplyCommandStates(CommandStates{true, remove, !remove, remove, !remove});
        const auto file = OpenAndRead(*frame, "&File");
        EXPECT_EQ(file.at(kCommandExplore).first, remove);
        EXPECT_EQ(file.at(kCommandRemove).first, remove);
        EXPECT_EQ(file.at(kCommandExpand).first, !remove);
        EXPECT_EQ(file.at(kCommandSaveAs).first, !remove);
    }
}
TEST_F(UiTest, RequestsAtOnceComeFromTheSettingsFileGoToTheCrawlAndBackToTheFile) {
    Install();
    const auto checked = [](const MainFrame& frame) {
        std::vector<int> on;
        for (int requests : {1, 2, 4, 6, 8, 16}) {
            QAction* item = frame.menu.action(RequestsAtOnceCommand(requests));
            if (item != nullptr && item->isCheckable() && item->isChecked()) {
                on.push_back(requests);
            }
        }
        return on;
    };
    // Ten lines, or a damaged eleventh: six.
    for (std::string eleventh : {"", "7\r\n", "2\r\n"}) {
        WriteStatus("1\r\n0\r\n9\r\n/srv\r\n*.*;\r\n0\r\n1\r\n0\r\n1\r\na/\r\n" + eleventh);
        auto frame = Start();
        OpenAll(*frame);
        const int expected = eleventh == "2\r\n" ? 2 : 6;
        EXPECT_EQ(checked(*frame), std::vector<int>{expected}) << eleventh;
        EXPECT_EQ(frame->engine->RequestsAtOnce(), expected);
        if (expected == 2) {
            frame->menu.action(RequestsAtOnceCommand(16))->trigger();
            EXPECT_EQ(checked(*frame), std::vector<int>{16});
            EXPECT_EQ(frame->engine->RequestsAtOnce(), 16) << "the crawl takes it at once";
            frame->close();
            EXPECT_EQ(ReadStatus(), "1\n0\n9\n/srv\n*.*;\n0\n1\n0\n1\na/\n16\n0\n");
        }
    }
}

}  // namespace
}  // namespace zavel
