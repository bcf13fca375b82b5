#include "ui/link_tree_control.h"

#include <QElapsedTimer>
#include <QHeaderView>

#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "ui/main_frame.h"
#include "ui/resources.h"

namespace zavel {
namespace {

// Paints the drop-target item as a selected item of an active window.
class DropHighlightDelegate : public QStyledItemDelegate {
  public:
    DropHighlightDelegate(const QPersistentModelIndex& marked, QObject* parent)
        : QStyledItemDelegate(parent), marked_(marked) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (marked_.isValid() && index == marked_) {
            option->state |= QStyle::State_Selected | QStyle::State_Active;
        }
    }

  private:
    const QPersistentModelIndex& marked_;
};

}  // namespace

StateImages BuildStateImages() {
    struct Source {
        int id;
        QRgb mask;
    };
    constexpr Source kSources[kStateImageCount] = {
        {217, qRgb(0, 255, 0)}, {218, qRgb(0, 0, 0)}, {219, qRgb(0, 0, 0)},
        {220, qRgb(0, 0, 0)},   {280, qRgb(1, 1, 1)},
    };
    StateImages images;
    for (int i = 0; i < kStateImageCount; ++i) {
        images[i] = QIcon(LoadMaskedBitmap(kSources[i].id, kSources[i].mask));
    }
    return images;
}

LinkTreeControl::LinkTreeControl(MainFrame* frame, QWidget* parent)
    : QTreeWidget(parent), frame_(frame) {
    // Buttons, lines and lines at the root: the platform style draws the branches; one column,
    // no header, a border around the whole.
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);
    setFrameShape(QFrame::Box);
    setIconSize(QSize(10, 10));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(false);
    // Every row has the same height, which keeps the layout of tens of thousands of rows quick.
    setUniformRowHeights(true);
    header()->setStretchLastSection(false);
    setTextElideMode(Qt::ElideNone);
    setItemDelegate(new DropHighlightDelegate(dropHighlight_, this));
}

void LinkTreeControl::SetStateImages(StateImages images) {
    stateImages_ = std::move(images);
}

QIcon LinkTreeControl::StateImage(int index) const {
    if (index < 0 || index >= kStateImageCount) {
        return {};
    }
    return stateImages_[static_cast<std::size_t>(index)];
}

QTreeWidgetItem* LinkTreeControl::SelectedItem() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

void LinkTreeControl::SetDropHighlight(QTreeWidgetItem* item) {
    const QPersistentModelIndex previous = dropHighlight_;
    dropHighlight_ = QPersistentModelIndex(item == nullptr ? QModelIndex() : indexFromItem(item));
    if (previous.isValid()) {
        viewport()->update(visualRect(previous));
    }
    if (dropHighlight_.isValid()) {
        viewport()->update(visualRect(dropHighlight_));
    }
}

QTreeWidgetItem* LinkTreeControl::DropHighlight() const {
    return dropHighlight_.isValid() ? itemFromIndex(dropHighlight_) : nullptr;
}

void LinkTreeControl::NoteItemWidth(const QTreeWidgetItem* parent, const QString& text) {
    int depth = 0;
    for (const QTreeWidgetItem* above = parent; above != nullptr && above != invisibleRootItem();
         above = above->parent()) {
        ++depth;
    }
    constexpr int kIconAndMargins = 24;
    const int width =
        (depth + 1) * indentation() + kIconAndMargins + fontMetrics().horizontalAdvance(text);
    widestItem_ = std::max(widestItem_, width);
}

void LinkTreeControl::UpdateColumnWidth() {
    const int width = std::max(widestItem_, viewport()->width());
    if (header()->sectionSize(0) != width) {
        header()->resizeSection(0, width);
    }
}

qint64 LinkTreeControl::TakeLayoutTime() {
    return std::exchange(layoutNs_, 0);
}

void LinkTreeControl::doItemsLayout() {
    QElapsedTimer clock;
    clock.start();
    QTreeWidget::doItemsLayout();
    layoutNs_ += clock.nsecsElapsed();
}

void LinkTreeControl::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    UpdateColumnWidth();
}

void LinkTreeControl::mousePressEvent(QMouseEvent* event) {
    if (itemAt(event->position().toPoint()) != nullptr) {
        QTreeWidget::mousePressEvent(event);
    } else {
        // Beside every item: the selection stays as it is (the view would clear it).
        setFocus(Qt::MouseFocusReason);
        event->accept();
    }
    if (event->button() == Qt::LeftButton && frame_ != nullptr) {
        frame_->OnTreeClick();
    }
}

void LinkTreeControl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && frame_ != nullptr) {
        frame_->OpenInBrowser();
    }
    event->accept();
}

}  // namespace zavel
