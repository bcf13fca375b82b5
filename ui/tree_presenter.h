// The link tree as the crawl sees it, carried out on the widget. The crawl reports from the
// worker thread (and the link commands from this one); each report is queued under a lock and
// the user-interface thread applies the queue from a timer, in slices short enough that it never
// stays away from its other events for long. Items are known by the ids the crawl gives them.
#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QTimer>
#include <QTreeWidgetItem>

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/link_tree_view.h"

namespace zavel {

class LinkTreeControl;

class TreePresenter : public LinkTreeView {
  public:
    // How long one slice may apply queued reports, and how often the queue is looked at.
    static constexpr int kSliceMilliseconds = 20;
    static constexpr int kDrainIntervalMilliseconds = 10;
    // After a slice the next one waits this many times as long as the slice and the view's
    // layouts since the one before took, at least the drain interval and at most the longest
    // pause: the tree never takes more than about a fifth of this thread, however large it
    // grows and however fast the crawl reports.
    static constexpr int kPauseFactor = 4;
    static constexpr int kLongestPauseMilliseconds = 250;
    // The pause after a slice whose work, layouts included, took `workNanoseconds`.
    static int PauseAfter(qint64 workNanoseconds);

    explicit TreePresenter(LinkTreeControl* tree);
    ~TreePresenter() override;
    TreePresenter(const TreePresenter&) = delete;
    TreePresenter& operator=(const TreePresenter&) = delete;

    // --- LinkTreeView: any thread; queued in call order ---
    void InsertItem(TreeItemId item, TreeItemId parent, const std::string& text,
                    int image) override;
    void SetImage(TreeItemId item, int image) override;
    void ExpandItem(TreeItemId item) override;
    void SortChildren(TreeItemId parent) override;
    void DeleteItem(TreeItemId item) override;
    void PostRefresh() override;

    // --- The user-interface thread ---
    // Called after a slice that applied at least one refresh request.
    void SetRefreshHandler(std::function<void()> handler) { refresh_ = std::move(handler); }
    // Called after every slice of the presenter's timer, whatever it applied.
    void SetSliceHandler(std::function<void()> handler) { slice_ = std::move(handler); }
    // The widget item of an id, or nullptr (unknown, deleted, or not applied yet).
    QTreeWidgetItem* ItemOf(TreeItemId item) const { return items_.value(item, nullptr); }
    // The id of a widget item of this tree, or kNoTreeItem.
    static TreeItemId IdOf(const QTreeWidgetItem* item);
    // Applies everything queued so far at once.
    void ApplyAll();
    // Nothing is queued or waiting to be applied.
    bool Idle() const;
    int ItemCount() const { return static_cast<int>(items_.size()); }

  private:
    struct Report {
        enum Kind : unsigned char { kInsert, kImage, kExpand, kSort, kDelete } kind;
        int image = 0;
        TreeItemId item = kNoTreeItem;
        TreeItemId parent = kNoTreeItem;
        std::string text;
    };

    void Queue(Report report);
    // Applies reports until the queue is empty or, with a budget, the time is up; then leaves
    // the widget complete (appends and sorts carried out).
    void Apply(int budgetMilliseconds);
    void ApplyOne(const Report& report);
    void Insert(const Report& report);
    void Expand(TreeItemId id);
    void Delete(TreeItemId id);
    // Appends the items gathered for one parent in one go.
    void FlushRun();
    void SortNow(TreeItemId parent);
    void FinishSlice();
    // Whether the next report that concerns the order of children is the sort of `parent`.
    bool SortFollows(TreeItemId parent) const;
    QTreeWidgetItem* Parent(TreeItemId parent) const;

    LinkTreeControl* tree_;
    QTimer timer_;
    std::function<void()> refresh_;
    std::function<void()> slice_;

    mutable std::mutex mutex_;
    std::vector<Report> queue_;      // guarded by mutex_
    bool refreshRequested_ = false;  // guarded by mutex_

    // The user-interface thread's own.
    std::vector<Report> batch_;  // taken from queue_, applied from next_
    std::size_t next_ = 0;
    QHash<TreeItemId, QTreeWidgetItem*> items_;
    // New items for one parent, not yet in the widget: appended together at the next report
    // that needs them there, or at the end of the slice.
    TreeItemId runParent_ = kNoTreeItem;
    QList<QTreeWidgetItem*> run_;
    // Sorts put off to the end of the slice. A sort may wait while only appends to the same
    // parent follow, each with its own sort: the stable sort at the end orders them the same.
    QSet<TreeItemId> sortsDue_;
};

}  // namespace zavel
