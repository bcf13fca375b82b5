// Where the main window's controls sit. The window has no other layout: the places follow from
// its outer size W x H alone (its whole rectangle, frame and caption included), so the five
// command buttons, the browse button and the right ends of the three long fields follow the
// right edge, and everything else stays where it is.
#pragma once

#include <QRect>

namespace zavel {

struct ControlLayout {
    QRect tree;  // only once the start screen is gone
    QRect addButton;
    QRect removeButton;
    QRect expandButton;
    QRect stopButton;
    QRect saveAsButton;
    QRect addressEdit;
    QRect getRadio;
    QRect copyRadio;
    QRect rewriteCheck;
    QRect sortCheck;
    QRect copyDirectoryCheck;
    QRect showExpandedCheck;
    QRect foreignLevelEdit;
    QRect maxLevelEdit;
    QRect browseButton;
    QRect destinationEdit;
    QRect fileTypeEdit;
};

// The level fields, 30 and 40 pixels wide, do not scroll their text: the user types as many
// characters of the control font (8 pixels wide each) as they show whole.
inline constexpr int kForeignLevelCharacters = 3;
inline constexpr int kMaxLevelCharacters = 4;

// The places for an outer size of W x H. A width or height that comes out zero or negative in a
// narrow window is zero: the control is there, but has no room.
ControlLayout LayoutFor(int w, int h);

}  // namespace zavel
