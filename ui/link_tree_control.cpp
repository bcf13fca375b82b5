#include "ui/link_tree_control.h"

#include <QHeaderView>

#include "ui/resources.h"

namespace zavel {

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
}

void LinkTreeControl::SetStateImages(StateImages images) {
    stateImages_ = std::move(images);
}

}  // namespace zavel
