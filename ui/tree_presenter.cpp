#include "ui/tree_presenter.h"

#include <QElapsedTimer>

#include <algorithm>

#include "ui/control_text.h"
#include "ui/link_tree_control.h"

namespace zavel {
namespace {

constexpr int kLinkItemType = QTreeWidgetItem::UserType + 1;
// Reports applied between two looks at the clock.
constexpr int kReportsPerClockCheck = 64;
// How far ahead SortFollows looks for the sort that goes with an append.
constexpr std::size_t kSortLookAhead = 8;

// A tree item that knows the id the crawl gave it.
class LinkItem : public QTreeWidgetItem {
  public:
    LinkItem(TreeItemId id, const QString& text) : QTreeWidgetItem(kLinkItemType), id_(id) {
        setText(0, text);
    }
    TreeItemId id() const { return id_; }

    // Alphabetical order ignores letter case; texts that differ only in case keep one order
    // all the same (capitals first), so a sort always gives the same tree.
    bool operator<(const QTreeWidgetItem& other) const override {
        const QString mine = text(0);
        const QString theirs = other.text(0);
        const int folded = QString::compare(mine, theirs, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(mine, theirs, Qt::CaseSensitive) < 0;
    }

  private:
    TreeItemId id_;
};

}  // namespace

TreePresenter::TreePresenter(LinkTreeControl* tree) : tree_(tree) {
    timer_.setInterval(kDrainIntervalMilliseconds);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        QElapsedTimer clock;
        clock.start();
        Apply(kSliceMilliseconds);
        // Rows added under open items make the view lay out every shown row again, at its next
        // paint: with tens of thousands of rows that costs far more than the reports. Pausing
        // in proportion keeps this thread, and the processor the crawl shares with it, free.
        timer_.setInterval(PauseAfter(clock.nsecsElapsed() + tree_->TakeLayoutTime()));
        if (slice_) {
            slice_();
        }
    });
    timer_.start();
}

int TreePresenter::PauseAfter(qint64 workNanoseconds) {
    const qint64 pause = workNanoseconds * kPauseFactor / 1000000;
    return static_cast<int>(
        std::clamp<qint64>(pause, kDrainIntervalMilliseconds, kLongestPauseMilliseconds));
}

TreePresenter::~TreePresenter() {
    // Items gathered but never appended belong to nobody else.
    qDeleteAll(run_);
}

TreeItemId TreePresenter::IdOf(const QTreeWidgetItem* item) {
    if (item == nullptr || item->type() != kLinkItemType) {
        return kNoTreeItem;
    }
    return static_cast<const LinkItem*>(item)->id();
}

void TreePresenter::Queue(Report report) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(report));
}

void TreePresenter::InsertItem(TreeItemId item, TreeItemId parent, const std::string& text,
                               int image) {
    Queue(Report{Report::kInsert, image, item, parent, text});
}

void TreePresenter::SetImage(TreeItemId item, int image) {
    Queue(Report{Report::kImage, image, item, kNoTreeItem, {}});
}

void TreePresenter::ExpandItem(TreeItemId item) {
    Queue(Report{Report::kExpand, 0, item, kNoTreeItem, {}});
}

void TreePresenter::SortChildren(TreeItemId parent) {
    Queue(Report{Report::kSort, 0, kNoTreeItem, parent, {}});
}

void TreePresenter::DeleteItem(TreeItemId item) {
    Queue(Report{Report::kDelete, 0, item, kNoTreeItem, {}});
}

void TreePresenter::PostRefresh() {
    std::lock_guard lock(mutex_);
    refreshRequested_ = true;
}

bool TreePresenter::Idle() const {
    std::lock_guard lock(mutex_);
    return queue_.empty() && !refreshRequested_ && next_ == batch_.size();
}

void TreePresenter::ApplyAll() {
    Apply(0);
}

void TreePresenter::Apply(int budgetMilliseconds) {
    QElapsedTimer clock;
    clock.start();
    bool refresh = false;
    int sinceCheck = 0;
    for (;;) {
        if (next_ == batch_.size()) {
            batch_.clear();
            next_ = 0;
            std::lock_guard lock(mutex_);
            // The emptied vector goes back to the queue with its capacity, so the worker's
            // reports rarely need the queue to grow.
            batch_.swap(queue_);
            refresh = refresh || refreshRequested_;
            refreshRequested_ = false;
            if (batch_.empty()) {
                break;
            }
        }
        ApplyOne(batch_[next_++]);
        if (budgetMilliseconds > 0 && ++sinceCheck == kReportsPerClockCheck) {
            sinceCheck = 0;
            if (clock.elapsed() >= budgetMilliseconds) {
                break;
            }
        }
    }
    FinishSlice();
    if (refresh && refresh_) {
        refresh_();
    }
}

void TreePresenter::ApplyOne(const Report& report) {
    switch (report.kind) {
        case Report::kInsert:
            Insert(report);
            break;
        case Report::kImage:
            if (QTreeWidgetItem* item = ItemOf(report.item)) {
                item->setIcon(0, tree_->StateImage(report.image));
            }
            break;
        case Report::kExpand:
            Expand(report.item);
            break;
        case Report::kSort:
            sortsDue_.insert(report.parent);
            break;
        case Report::kDelete:
            FinishSlice();
            Delete(report.item);
            break;
    }
}

QTreeWidgetItem* TreePresenter::Parent(TreeItemId parent) const {
    return parent == kNoTreeItem ? tree_->invisibleRootItem() : ItemOf(parent);
}

void TreePresenter::Insert(const Report& report) {
    if (Parent(report.parent) == nullptr || items_.contains(report.item)) {
        return;  // its parent is gone (or the id is taken): nothing to show it under
    }
    if (sortsDue_.contains(report.parent) && !SortFollows(report.parent)) {
        // This append is not sorted: the sorts before it must come first.
        FlushRun();
        SortNow(report.parent);
        sortsDue_.remove(report.parent);
    }
    if (!run_.isEmpty() && runParent_ != report.parent) {
        FlushRun();
    }
    const QString text = ToControl(report.text);
    auto* item = new LinkItem(report.item, text);
    tree_->NoteItemWidth(Parent(report.parent), text);
    item->setIcon(0, tree_->StateImage(report.image));
    items_.insert(report.item, item);
    runParent_ = report.parent;
    run_.append(item);
}

bool TreePresenter::SortFollows(TreeItemId parent) const {
    const std::size_t end = std::min(batch_.size(), next_ + kSortLookAhead);
    for (std::size_t i = next_; i < end; ++i) {
        const Report& report = batch_[i];
        if (report.kind == Report::kImage || report.kind == Report::kExpand) {
            continue;
        }
        return report.kind == Report::kSort && report.parent == parent;
    }
    return false;
}

void TreePresenter::Expand(TreeItemId id) {
    QTreeWidgetItem* item = ItemOf(id);
    if (item == nullptr || item->isExpanded()) {
        return;
    }
    if (item->treeWidget() == nullptr) {
        FlushRun();  // still gathered: it must be in the widget to be opened
    }
    item->setExpanded(true);
}

void TreePresenter::Delete(TreeItemId id) {
    QTreeWidgetItem* item = ItemOf(id);
    if (item == nullptr) {
        return;
    }
    // The item takes its descendants with it: their ids are forgotten too.
    std::vector<QTreeWidgetItem*> pending{item};
    while (!pending.empty()) {
        QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        items_.remove(IdOf(next));
        sortsDue_.remove(IdOf(next));
        for (int i = 0; i < next->childCount(); ++i) {
            pending.push_back(next->child(i));
        }
    }
    delete item;
}

void TreePresenter::FlushRun() {
    if (run_.isEmpty()) {
        return;
    }
    if (QTreeWidgetItem* parent = Parent(runParent_)) {
        parent->addChildren(run_);
    } else {
        qDeleteAll(run_);
    }
    run_.clear();
}

void TreePresenter::SortNow(TreeItemId parent) {
    // Only the direct children: the sort is not recursive.
    if (QTreeWidgetItem* item = Parent(parent)) {
        item->sortChildren(0, Qt::AscendingOrder);
    }
}

void TreePresenter::FinishSlice() {
    FlushRun();
    for (TreeItemId parent : std::as_const(sortsDue_)) {
        SortNow(parent);
    }
    sortsDue_.clear();
    tree_->UpdateColumnWidth();
}

}  // namespace zavel
