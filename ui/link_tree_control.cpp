#include "ui/link_tree_control.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
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
        // An item's image and its selected image are the same picture: no selection tint.
        const QPixmap picture = LoadMaskedBitmap(kSources[i].id, kSources[i].mask);
        images[i].addPixmap(picture, QIcon::Normal);
        images[i].addPixmap(picture, QIcon::Selected);
    }
    return images;
}

LinkTreeControl::LinkTreeControl(MainFrame* frame, QWidget* parent)
    : QTreeWidget(parent), frame_(frame) {
    // Buttons, lines and lines at the root (drawBranches); one column, no header, a border
    // around the whole.
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
    const bool left = event->button() == Qt::LeftButton;
    if (left && itemAt(event->position().toPoint()) != nullptr) {
        QTreeWidget::mousePressEvent(event);
    } else {
        // Beside every item, or another button: the selection stays as it is (the view would
        // clear it, or move it to the item under the pointer).
        setFocus(Qt::MouseFocusReason);
        event->accept();
    }
    if (left && frame_ != nullptr) {
        frame_->OnTreeClick();
    }
}

void LinkTreeControl::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

QItemSelectionModel::SelectionFlags LinkTreeControl::selectionCommand(const QModelIndex& index,
                                                                      const QEvent* event) const {
    const QEvent::Type type = event != nullptr ? event->type() : QEvent::None;
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        // Ctrl or not: the view would take the selection off an item clicked with Ctrl.
        return static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton
                   ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                   : QItemSelectionModel::NoUpdate;
    }
    const QItemSelectionModel::SelectionFlags command = QTreeWidget::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate
                                                           : command;
}

void LinkTreeControl::drawBranches(QPainter* painter, const QRect& rect,
                                   const QModelIndex& index) const {
    // Lines of single grey dots, every other pixel, laid on one grid so that they meet.
    QPolygon dots;
    const auto vertical = [&dots](int x, int top, int bottom) {
        for (int y = top + ((x + top) & 1); y <= bottom; y += 2) {
            dots << QPoint(x, y);
        }
    };
    const auto horizontal = [&dots](int y, int left, int right) {
        for (int x = left + ((left + y) & 1); x <= right; x += 2) {
            dots << QPoint(x, y);
        }
    };
    const int step = indentation();
    const int middleY = rect.top() + rect.height() / 2;
    int column = rect.right() + 1 - step;  // the item's own
    const int middleX = column + step / 2;
    const bool hasNext = index.siblingAtRow(index.row() + 1).isValid();
    const bool hasAbove = index.parent().isValid() || index.row() > 0;
    vertical(middleX, hasAbove ? rect.top() : middleY, hasNext ? rect.bottom() : middleY);
    horizontal(middleY, middleX, column + step - 1);
    // Further left, the lines of the ancestors that have siblings below.
    for (QModelIndex above = index.parent(); above.isValid(); above = above.parent()) {
        column -= step;
        if (above.siblingAtRow(above.row() + 1).isValid()) {
            vertical(column + step / 2, rect.top(), rect.bottom());
        }
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QColor(128, 128, 128));
    painter->drawPoints(dots);
    if (model()->hasChildren(index)) {
        // The button: a grey box of 9 x 9 pixels with a black minus, or plus while closed.
        constexpr int kHalf = 4;
        const QRect box(middleX - kHalf, middleY - kHalf, 2 * kHalf + 1, 2 * kHalf + 1);
        painter->fillRect(box, Qt::white);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        painter->setPen(Qt::black);
        painter->drawLine(middleX - 2, middleY, middleX + 2, middleY);
        if (!isExpanded(index)) {
            painter->drawLine(middleX, middleY - 2, middleX, middleY + 2);
        }
    }
    painter->restore();
}

void LinkTreeControl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && frame_ != nullptr) {
        frame_->OpenInBrowser();
    }
    event->accept();
}

}  // namespace zavel
