#include "ui/problems_window.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "ui/control_text.h"

namespace zavel {
namespace {

enum Column : int { kAddressColumn, kReasonColumn, kParentColumn, kColumnCount };

}  // namespace

ProblemsModel::ProblemsModel(const LinkTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

void ProblemsModel::Refresh() {
    std::vector<TreeItemId> fresh;
    const std::uint64_t generation = table_.ProblemsSince(items_.size(), fresh);
    if (generation != generation_) {
        // A Remove took rows out: the log is read again from its start.
        fresh.clear();
        table_.ProblemsSince(0, fresh);
        beginResetModel();
        items_ = std::move(fresh);
        generation_ = generation;
        cachedRow_ = -1;
        endResetModel();
        return;
    }
    if (fresh.empty()) {
        return;
    }
    // A row's answer may have changed since it was read (a page that answered 404 and then
    // turned out to be an error page): the rows shown are read again.
    cachedRow_ = -1;
    if (!items_.empty()) {
        emit dataChanged(index(0, 0), index(static_cast<int>(items_.size()) - 1, kColumnCount - 1));
    }
    const int first = static_cast<int>(items_.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(fresh.size()) - 1);
    items_.insert(items_.end(), fresh.begin(), fresh.end());
    endInsertRows();
}

TreeItemId ProblemsModel::ItemAt(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < items_.size()
               ? items_[static_cast<std::size_t>(row)]
               : kNoTreeItem;
}

int ProblemsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

int ProblemsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ProblemsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return {};
    }
    if (cachedRow_ != index.row()) {
        cachedRow_ = index.row();
        cached_ = ProblemRowOf(table_, ItemAt(index.row()));
    }
    if (!cached_) {
        return {};  // removed meanwhile: the next refresh takes the row away
    }
    switch (index.column()) {
        case kAddressColumn:
            return ToControl(cached_->address);
        case kReasonColumn:
            return ToControl(cached_->reason);
        case kParentColumn:
            return ToControl(cached_->parentAddress);
        default:
            return {};
    }
}

QVariant ProblemsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case kAddressColumn:
            return QStringLiteral("Address");
        case kReasonColumn:
            return QStringLiteral("Reason");
        case kParentColumn:
            return QStringLiteral("Linked from");
        default:
            return {};
    }
}

ProblemsWindow::ProblemsWindow(const LinkTable& table, std::function<void(TreeItemId)> onChosen,
                               QWidget* owner)
    : QWidget(owner, Qt::Window),
      model_(table, this),
      view_(new QTreeView(this)),
      onChosen_(std::move(onChosen)) {
    setObjectName(QStringLiteral("problemsWindow"));
    view_->setModel(&model_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);  // no row is measured on its own
    view_->setAlternatingRowColors(true);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->header()->setStretchLastSection(true);
    view_->header()->resizeSection(kAddressColumn, 320);
    view_->header()->resizeSection(kReasonColumn, 220);
    QObject::connect(view_, &QAbstractItemView::doubleClicked, this,
                     [this](const QModelIndex& index) {
                         const TreeItemId item = model_.ItemAt(index.row());
                         if (item != kNoTreeItem && onChosen_) {
                             onChosen_(item);
                         }
                     });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    resize(820, 360);
    Refresh();
}

void ProblemsWindow::Refresh() {
    model_.Refresh();
    setWindowTitle(QStringLiteral("Problems (%1)").arg(model_.rowCount()));
}

void ProblemsWindow::showEvent(QShowEvent* event) {
    Refresh();
    QWidget::showEvent(event);
}

}  // namespace zavel
