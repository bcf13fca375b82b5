// One address known to the crawl: a start address typed by the user (a root) or a link found
// in a fetched page (a child). A record carries its own copy of the crawl settings that were in
// force when its root was added.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "engine/address.h"
#include "engine/link_tree_view.h"
#include "engine/record_answer.h"
#include "engine/shared_text.h"

namespace zavel {

inline constexpr int kModeGet = 1;   // pages are only fetched for scanning
inline constexpr int kModeCopy = 2;  // matching files are also saved into destDir

// The temporary path that marks a settings holder: a record that is never admitted and only
// holds the settings shown in the controls.
inline constexpr const char* kSettingsHolderPath = "original";

struct CrawlSettings {
    int mode = kModeGet;
    int otherServerLevel = 0;  // a link to another server is admitted while its level is below
    int maxLevel = 0;          // a record whose level equals this is not expanded
    // Shared by every record of one root; each Add makes a new pair. The destination may be
    // replaced while the crawl runs (the directory chooser), so it is read through its lock.
    std::shared_ptr<SharedText> destDir = std::make_shared<SharedText>();
    std::shared_ptr<const std::string> fileTypes = std::make_shared<const std::string>();
    int copyDirectory = 0;
    int rewrite = 0;
    int sort = 0;
    int showExpanded = 0;
    // Saved pages get links that work offline once the crawl of the root has come to rest.
    int offlineLinks = 0;
};

// The worker's error boxes about the records of one root. The first is shown, and the worker
// waits for it; those after it are left out (their records just fail) until the user's next
// command on the root reopens the gate, so a page whose addresses all fail cannot hold the
// user under one box after another, nor get a box in ahead of the Stop, Remove or Quit given
// after OK. Safe from any thread.
class RootBoxGate {
  public:
    // True when a box may be shown now; the gate is closed from then on.
    bool TakeBox() { return !closed_.exchange(true); }
    void Reopen() { closed_.store(false); }

  private:
    std::atomic<bool> closed_{false};
};

class LinkTable;

struct LinkRecord : CrawlSettings {
    // Set before the record is admitted and never changed afterwards, so any thread may read
    // them once it has the record from the table.
    std::string label;
    LinkTreeView* tree = nullptr;
    int level = 0;
    TreeItemId treeItem = kNoTreeItem;
    TreeItemId parentItem = kNoTreeItem;  // the parent's item; kNoTreeItem for a root
    LinkTable* owner = nullptr;
    std::string tempPath;
    std::string host;
    std::string dir;
    std::string file;
    bool secure = false;  // fetched over TLS (see AddressParts)
    // One per root, shared by its whole subtree.
    std::shared_ptr<RootBoxGate> boxGate;

    // Changed while other threads read them: held by the link commands on the UI thread,
    // expanded by the worker.
    std::atomic<int> held{0};
    std::atomic<int> expanded{0};

    // What the worker's fetch answered and why the record failed or was set aside. Written by
    // the worker and read by the user-interface thread: guarded by the owning table's lock
    // (LinkTable::SetAnswer, VisitRecords).
    RecordAnswer answer;

    bool IsPending() const { return expanded.load() == 0 && held.load() == 0; }
    std::string DisplayText() const { return host + dir + file; }
    // The scheme the record is requested with.
    const char* Scheme() const { return secure ? "https" : "http"; }
    // The address as it is requested: scheme, "://", host, dir and file.
    std::string RequestAddress() const { return std::string(Scheme()) + "://" + DisplayText(); }
    AddressParts Parts() const { return AddressParts{host, dir, file, true, secure}; }
    const CrawlSettings& Settings() const { return *this; }
};

}  // namespace zavel
