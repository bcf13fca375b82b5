// The tree control of the main window and its image list. What its items show and how the crawl
// fills it is the tree presentation's; this is the control as the window builds it, with its
// mouse handling (a click hands the selected item to the window, a double click opens the
// browser) and the drop-target highlight that keeps the item last worked on marked.
#pragma once

#include <QIcon>
#include <QPersistentModelIndex>
#include <QTreeWidget>

#include <array>

namespace zavel {

class MainFrame;

// The five state images, in image-list order: failed, pending, fetched, not expanded, held.
inline constexpr int kStateImageCount = 5;
using StateImages = std::array<QIcon, kStateImageCount>;

// Builds the image list from bitmaps 217 (green is transparent), 218, 219, 220 (black is
// transparent) and 280 ((1, 1, 1) is transparent), 10 x 10 pixels each.
StateImages BuildStateImages();

class LinkTreeControl : public QTreeWidget {
  public:
    // `frame` receives the clicks; it may be null (a tree that only shows).
    LinkTreeControl(MainFrame* frame, QWidget* parent);

    MainFrame* frame() const { return frame_; }
    void SetStateImages(StateImages images);
    const StateImages& stateImages() const { return stateImages_; }
    // The image of an index of the image list; a null icon outside it.
    QIcon StateImage(int index) const;

    // The tree's one selected item, or nullptr.
    QTreeWidgetItem* SelectedItem() const;
    // Marks `item` with the drop-target highlight (nullptr: no item), which shows it as
    // selected whether or not the tree has the focus. The mark goes with a deleted item.
    void SetDropHighlight(QTreeWidgetItem* item);
    QTreeWidgetItem* DropHighlight() const;

    // The column is as wide as the widest item shown so far (at least the view), so long
    // addresses are shown whole and the tree scrolls sideways to them. The width is kept up to
    // date item by item, far cheaper than measuring every row again at each change.
    void NoteItemWidth(const QTreeWidgetItem* parent, const QString& text);
    void UpdateColumnWidth();

    // The time the view spent laying out its rows since the last call, in nanoseconds. Rows
    // added under an open item make the view lay out every shown row again, so on a large tree
    // this is most of what showing the crawl costs.
    qint64 TakeLayoutTime();
    void doItemsLayout() override;

  protected:
    // A left click: the tree's own handling first (the clicked item becomes selected), then the
    // window's. Only the left button selects: a right or middle click leaves the selection
    // where the window's commands and settings last followed it.
    void mousePressEvent(QMouseEvent* event) override;
    // With a button held the pointer drags nothing along: neither the selection nor the item
    // the keyboard moves from.
    void mouseMoveEvent(QMouseEvent* event) override;
    // The selection follows a left click (Ctrl or not) and the keyboard's moves, and the one
    // selected item is never simply deselected.
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;
    // The dotted lines that join every item to its parent and its siblings, and the boxed plus
    // or minus of an item with children.
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;
    // Opens the browser; the tree never sees the double click, so no item opens or closes.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    MainFrame* frame_;
    StateImages stateImages_;
    QPersistentModelIndex dropHighlight_;
    int widestItem_ = 0;
    qint64 layoutNs_ = 0;
};

}  // namespace zavel
