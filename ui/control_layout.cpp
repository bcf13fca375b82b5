#include "ui/control_layout.h"

#include <algorithm>

#include "ui/backdrop.h"
#include "ui/main_frame.h"

namespace zavel {
namespace {

QRect Place(int x, int y, int width, int height) {
    return QRect(x, y, std::max(width, 0), std::max(height, 0));
}

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 30;
constexpr int kButtonStep = 82;  // 2 pixels between buttons

}  // namespace

ControlLayout LayoutFor(int w, int h) {
    ControlLayout l;
    l.tree = Place(15, 110, w - 40, h - 190);
    QRect* row[] = {&l.addButton, &l.removeButton, &l.expandButton, &l.stopButton, &l.saveAsButton};
    for (int i = 0; i < 5; ++i) {
        *row[i] = Place(w - 425 + kButtonStep * i, 5, kButtonWidth, kButtonHeight);
    }
    l.addressEdit = Place(80, 12, w - 505, 20);
    l.getRadio = Place(5, 42, 70, 20);
    l.copyRadio = Place(5, 67, 70, 20);
    l.rewriteCheck = Place(80, 42, 80, 20);
    l.sortCheck = Place(170, 42, 55, 20);
    l.copyDirectoryCheck = Place(235, 42, 135, 20);
    l.showExpandedCheck = Place(380, 42, 145, 20);
    l.foreignLevelEdit = Place(400, 67, 30, 20);
    l.maxLevelEdit = Place(670, 67, 40, 20);
    l.browseButton = Place(w - 97, 35, kButtonWidth, kButtonHeight);
    l.destinationEdit = Place(730, 40, w - 835, 20);
    l.fileTypeEdit = Place(800, 67, w - 820, 20);
    return l;
}

void MainFrame::PlaceControls() {
    if (!memoryDC || installMode != 0) {
        return;
    }
    const QSize outer = OuterSize();
    layoutWidth = outer.width();
    layoutHeight = outer.height();
    const ControlLayout l = LayoutFor(layoutWidth, layoutHeight);
    // Until the start screen is gone the tree keeps the empty place it was made with.
    if (startScreenCleared != 0) {
        tree->setGeometry(l.tree);
    }
    addButton->setGeometry(l.addButton);
    removeButton->setGeometry(l.removeButton);
    expandButton->setGeometry(l.expandButton);
    stopButton->setGeometry(l.stopButton);
    saveAsButton->setGeometry(l.saveAsButton);
    addressEdit->setGeometry(l.addressEdit);
    getRadio->setGeometry(l.getRadio);
    copyRadio->setGeometry(l.copyRadio);
    rewriteCheck->setGeometry(l.rewriteCheck);
    sortCheck->setGeometry(l.sortCheck);
    copyDirectoryCheck->setGeometry(l.copyDirectoryCheck);
    showExpandedCheck->setGeometry(l.showExpandedCheck);
    foreignLevelEdit->setGeometry(l.foreignLevelEdit);
    maxLevelEdit->setGeometry(l.maxLevelEdit);
    browseButton->setGeometry(l.browseButton);
    destinationEdit->setGeometry(l.destinationEdit);
    fileTypeEdit->setGeometry(l.fileTypeEdit);
    clientArea->update();
}

void MainFrame::ClearStartArea() {
    if (!memoryDC) {
        return;
    }
    memoryDC->Rectangle(0, kBandBottom, kBackdropWidth, kBackdropHeight, kBlack, kWhite);
    const QSize fullScreen = FullScreenSize();
    layoutWidth = fullScreen.width();
    layoutHeight = fullScreen.height();
    DrawGradient(*memoryDC, layoutWidth, layoutHeight);
    PlaceControls();
    clientArea->update();
}

}  // namespace zavel
