// The table of every admitted record, in order of admission. The table is the crawl's queue:
// children are appended behind their parents, so taking the first pending record walks the
// crawl breadth-first.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/link_record.h"

namespace zavel {

inline constexpr int kTableCapacity = 50000;
inline constexpr int kNoCurrentIndex = 51000;  // currentIndex when there is no current record

// The arguments of the record constructor, in its order.
struct LinkArgs {
    std::string linkText;
    std::string tempPath;
    const LinkRecord* parent = nullptr;
    LinkTreeView* tree = nullptr;
    TreeItemId parentItem = kNoTreeItem;
    CrawlSettings settings;
    std::string label;
};

enum class Admission {
    kAdmitted,
    kOtherServer,     // another server's link at or past otherServerLevel
    kSettingsHolder,  // tempPath "original"
    kDuplicate,       // same host, dir and file already in the table (roots excepted)
    kInvalidAddress,  // too many segments or a part over its capacity
    kTableFull,
};

class LinkTable {
  public:
    LinkTable() = default;
    LinkTable(const LinkTable&) = delete;
    LinkTable& operator=(const LinkTable&) = delete;

    // Builds a record without offering it to any table: label and settings copied, the link
    // resolved, the level computed. The settings holder is made this way.
    // addressValid, when given, tells whether the link resolved to a representable address.
    static std::unique_ptr<LinkRecord> Build(LinkArgs args, bool* addressValid = nullptr);

    // The record constructor: builds the record, applies the other-server, settings-holder and
    // duplicate rules, appends it, inserts its tree item (pending image) and sorts the parent's
    // children when asked. Returns the admitted record, or nullptr when it was declined (the
    // declined record is discarded). Safe from any thread.
    LinkRecord* Construct(LinkArgs args, Admission* why = nullptr);

    int Count() const { return count_.load(std::memory_order_acquire); }
    // The record at an index below Count(), or nullptr. A record stays valid until it is
    // removed, which only RemoveSubtree does.
    LinkRecord* RecordAt(int index) const;
    LinkRecord* FindByTreeItem(TreeItemId item) const;
    // Every record whose label begins with `label`, in table order.
    std::vector<LinkRecord*> Subtree(std::string_view label) const;

    // Removes the record labelled `label` and its whole subtree, deleting their tree items. Keeps
    // the order of the rest, resets currentIndex to 0 and currentRecord to none. The worker must
    // not be running. Returns the number of records removed.
    int RemoveSubtree(std::string_view label, LinkTreeView* tree);

    // Records the answer of a record of this table (the worker, after each outcome). A record
    // that becomes a problem (IsProblem) is added to the problem log once.
    void SetAnswer(LinkRecord& record, RecordAnswer answer);
    RecordAnswer AnswerOf(const LinkRecord& record) const;
    // Calls `visit` with every record in table order, and with its parent (nullptr for a root),
    // under the table's lock: the visitor may read the answers, and must not call the table.
    using RecordVisitor = std::function<void(const LinkRecord& record, const LinkRecord* parent)>;
    void VisitRecords(const RecordVisitor& visit) const;
    // The same for the record with this tree item; false when there is none.
    bool VisitRecord(TreeItemId item, const RecordVisitor& visit) const;
    // The problem log: the tree items of the records that became problems, in the order they
    // did. Appends the items from index `from` on to `items` and returns the log's generation,
    // which changes whenever Remove takes items out of the log; a caller that sees another
    // generation than before must start again from 0.
    std::uint64_t ProblemsSince(std::size_t from, std::vector<TreeItemId>& items) const;

    // The label of the next root, counting it: "A", "B", ...
    std::string NextRootLabel();
    int RootCount() const { return rootCount_.load(); }

    // The label suffix of the child numbered j (from 0) of a page: the byte 65 + j for the
    // first 191 children, then longer suffixes that never begin with a byte of 65 or more.
    // Suffixes of different j are never a prefix of one another, for every j a page can reach
    // (declined children count too, and the keyword list has no bound), so labels stay unique
    // and a label begins with another only inside that one's subtree. No byte is ever 0.
    static std::string LabelSuffix(std::uint64_t j);
    static std::string ChildLabel(std::string_view parentLabel, std::uint64_t j);
    static bool InSubtree(std::string_view label, std::string_view subtreeLabel);
    // The label of the root whose subtree holds `label`: its first suffix.
    static std::string_view RootLabel(std::string_view label);

    // Held records were released (Expand): the worker must walk the table from the start again.
    void NoteReleased();
    std::uint64_t Releases() const { return releases_.load(std::memory_order_acquire); }
    // Sleeps until the table holds a record count other than seenCount, records were released
    // since seenReleases, or stop() holds. WakeWaiters() makes a sleeper look at stop() again.
    void WaitForWork(int seenCount, std::uint64_t seenReleases, const std::function<bool()>& stop);
    void WakeWaiters();
    // True while a worker sleeps in WaitForWork: it found nothing pending.
    bool WorkerSleeping() const { return sleeping_.load(std::memory_order_acquire); }
    // The crawl has come to rest: the worker sleeps and no record is pending.
    bool CrawlSettled() const;

    // Progress of the worker, read by the progress display.
    std::atomic<int> currentIndex{0};
    std::atomic<LinkRecord*> currentRecord{nullptr};

  private:
    static std::string AddressKey(const LinkRecord& record);

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<LinkRecord>> records_;        // guarded by mutex_
    std::unordered_map<std::string, int> addressCounts_;      // guarded by mutex_
    std::unordered_map<TreeItemId, LinkRecord*> byTreeItem_;  // guarded by mutex_
    TreeItemId nextTreeItem_ = 1;                             // guarded by mutex_
    std::vector<TreeItemId> problems_;                        // guarded by mutex_
    std::uint64_t problemsGeneration_ = 0;                    // guarded by mutex_
    std::condition_variable workArrived_;                     // with mutex_
    std::atomic<int> count_{0};
    std::atomic<std::uint64_t> releases_{0};
    std::atomic<bool> sleeping_{false};
    std::atomic<int> rootCount_{0};
};

}  // namespace zavel
