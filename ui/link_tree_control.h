// The tree control of the main window and its image list. What its items show and how the crawl
// fills it is the tree presentation's; this is the control as the window builds it.
#pragma once

#include <QIcon>
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
    LinkTreeControl(MainFrame* frame, QWidget* parent);

    MainFrame* frame() const { return frame_; }
    void SetStateImages(StateImages images);
    const StateImages& stateImages() const { return stateImages_; }

  private:
    MainFrame* frame_;
    StateImages stateImages_;
};

}  // namespace zavel
