// Main-window tests with a crawl: an installed program with its word lists, a site on
// loopback, and a browser that is only recorded. The desktop's associations are the test's own
// (text/html opens "test-browser"); the program starter records instead of starting.
#pragma once

#include <QTreeWidgetItem>

#include <string>
#include <vector>

#include "tests/support/loopback_server.h"
#include "tests/ui/ui_fixture.h"

namespace zavel::test {

// A page whose links are the given targets, in this order.
std::string LinkPage(std::initializer_list<std::string> targets);

class CrawlUiTest : public UiTest {
  protected:
    CrawlUiTest();
    ~CrawlUiTest() override;

    // Installs, writes the default word lists (and `status`, when given), and starts the window
    // with its client area shown and active.
    std::unique_ptr<MainFrame> StartCrawler(const std::string& status = "");

    // Types `address` into the address field and presses Ctrl+A there.
    static void TypeAndAdd(MainFrame& frame, const std::string& address);
    // Waits until the crawl rests and the tree shows all of it.
    static bool WaitSettled(MainFrame& frame, int milliseconds = 10000);
    // Lets the tree show everything reported so far.
    static void ShowReported(MainFrame& frame);

    // The item with this text (host, dir and file), or nullptr.
    static QTreeWidgetItem* Item(const MainFrame& frame, const std::string& text);
    // The state image an item shows (0 failed ... 4 held), or -1.
    static int Image(const MainFrame& frame, const QTreeWidgetItem* item);
    // The texts of the children of an item (nullptr: the top level), in display order.
    static std::vector<std::string> ChildTexts(const MainFrame& frame,
                                               const QTreeWidgetItem* parent);
    // A real left click, or double click, on an item.
    static void Click(MainFrame& frame, QTreeWidgetItem* item);
    static void DoubleClick(MainFrame& frame, QTreeWidgetItem* item);
    // The enabled states of add, remove, expand, stop and save as: buttons and flags, which
    // must agree.
    static std::vector<bool> Commands(const MainFrame& frame);

    // What the browser was started with, each time.
    std::vector<std::vector<std::string>> started() const;

    std::string Address(const std::string& path) const { return server.host() + path; }

    LoopbackServer server;

  private:
    ScopedEnv configEnv_;
    ScopedEnv configDirsEnv_;
    ScopedEnv dataDirsEnv_;
    std::vector<std::vector<std::string>> started_;
};

}  // namespace zavel::test
