#include "tests/ui/crawl_fixture.h"

#include <QTest>

#include <filesystem>

#include "lists/word_list.h"
#include "platform/shell.h"
#include "tests/support/word_lists.h"

namespace zavel::test {

std::string LinkPage(std::initializer_list<std::string> targets) {
    std::string page = "<html><body>\n";
    for (const auto& target : targets) {
        page += "<a href=\"" + target + "\">" + target + "</a>\n";
    }
    // Long enough not to be taken for an error page.
    return page + "<p>" + std::string(900, 'x') + "</p></body></html>\n";
}

CrawlUiTest::CrawlUiTest()
    : configEnv_("XDG_CONFIG_HOME", root / "config"),
      configDirsEnv_("XDG_CONFIG_DIRS", root / "xdg"),
      dataDirsEnv_("XDG_DATA_DIRS", root / "share") {
    std::filesystem::create_directories(root / "config");
    std::filesystem::create_directories(dataHome + "/applications");
    WriteFileBytes(dataHome + "/applications/test-browser.desktop",
                   "[Desktop Entry]\nType=Application\nName=Test\nExec=test-browser --new %u\n");
    WriteFileBytes(root / "config/mimeapps.list",
                   "[Default Applications]\ntext/html=test-browser.desktop\n");
    platform::SetProgramStarter([this](const std::vector<std::string>& argv) {
        started_.push_back(argv);
        return true;
    });
}

CrawlUiTest::~CrawlUiTest() {
    platform::SetProgramStarter({});
}

std::unique_ptr<MainFrame> CrawlUiTest::StartCrawler(const std::string& status) {
    Install();
    test::WriteDefaultWordLists(programDir);
    if (!status.empty()) {
        WriteStatus(status);
    }
    if (server.port() == 0) {
        server.Start();
    }
    auto frame = Start();
    frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    return frame;
}

void CrawlUiTest::TypeAndAdd(MainFrame& frame, const std::string& address) {
    frame.addressEdit->setFocus();
    frame.addressEdit->clear();
    QTest::keyClicks(frame.addressEdit, QString::fromStdString(address));
    QTest::keyClick(frame.addressEdit, Qt::Key_A, Qt::ControlModifier);
}

bool CrawlUiTest::WaitSettled(MainFrame& frame, int milliseconds) {
    return WaitUntil(
        [&frame] { return frame.engine->table().CrawlSettled() && frame.treePresenter->Idle(); },
        milliseconds);
}

void CrawlUiTest::ShowReported(MainFrame& frame) {
    frame.treePresenter->ApplyAll();
}

QTreeWidgetItem* CrawlUiTest::Item(const MainFrame& frame, const std::string& text) {
    const auto found =
        frame.tree->findItems(QString::fromStdString(text), Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

int CrawlUiTest::Image(const MainFrame& frame, const QTreeWidgetItem* item) {
    if (item == nullptr) {
        return -1;
    }
    const qint64 key = item->icon(0).cacheKey();
    for (int i = 0; i < kStateImageCount; ++i) {
        if (frame.tree->StateImage(i).cacheKey() == key) {
            return i;
        }
    }
    return -1;
}

std::vector<std::string> CrawlUiTest::ChildTexts(const MainFrame& frame,
                                                 const QTreeWidgetItem* parent) {
    const QTreeWidgetItem* under = parent != nullptr ? parent : frame.tree->invisibleRootItem();
    std::vector<std::string> texts;
    for (int i = 0; i < under->childCount(); ++i) {
        texts.push_back(under->child(i)->text(0).toStdString());
    }
    return texts;
}

void CrawlUiTest::Click(MainFrame& frame, QTreeWidgetItem* item) {
    frame.tree->scrollToItem(item);
    const QPoint at = frame.tree->visualItemRect(item).center();
    QTest::mouseClick(frame.tree->viewport(), Qt::LeftButton, {}, at);
}

void CrawlUiTest::DoubleClick(MainFrame& frame, QTreeWidgetItem* item) {
    frame.tree->scrollToItem(item);
    const QPoint at = frame.tree->visualItemRect(item).center();
    // A double click is a click followed by the double-click event.
    QTest::mouseClick(frame.tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(frame.tree->viewport(), Qt::LeftButton, {}, at);
}

std::vector<bool> CrawlUiTest::Commands(const MainFrame& frame) {
    const std::vector<bool> buttons{frame.addButton->isEnabled(), frame.removeButton->isEnabled(),
                                    frame.expandButton->isEnabled(), frame.stopButton->isEnabled(),
                                    frame.saveAsButton->isEnabled()};
    const std::vector<bool> flags{frame.canAdd == 1, frame.canRemove == 1, frame.canExpand == 1,
                                  frame.canStop == 1, frame.canSaveAs == 1};
    EXPECT_EQ(buttons, flags) << "buttons and command flags disagree";
    return buttons;
}

std::vector<std::vector<std::string>> CrawlUiTest::started() const {
    return started_;
}

}  // namespace zavel::test
