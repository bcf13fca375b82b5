// The About panel: a small modal dialog (dialog 218) with the OK button, the program's icon, and
// the product's name, rights, version and contact lines painted in two Courier fonts, every
// text first in black and then in its colour one pixel to the right and below.
#pragma once

#include <QColor>
#include <QDialog>
#include <QPoint>
#include <QString>

class QLabel;
class QPainter;
class QPushButton;

namespace zavel {

// The panel's layout is given in dialog units of its font, "MS Sans Serif" at 8 points. At 96
// dots per inch that font's base units are 6 pixels across (4 horizontal units) and 13 pixels
// down (8 vertical units); units become pixels rounded to the nearest, halves away from zero.
inline constexpr int kDialogBaseWidth = 6;
inline constexpr int kDialogBaseHeight = 13;
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

inline constexpr int kAboutPanelId = 218;
inline constexpr int kAboutPanelUnitsWidth = 316;  // the client area, in dialog units
inline constexpr int kAboutPanelUnitsHeight = 149;

// Draws `text` twice with the painter's font, the top-left corner of its character cell at the
// given place: in `shadowColour` at `position`, then in `colour` `offset` pixels to the right
// and below.
void DrawShadowText(const QString& text, QPoint position, QPainter& painter, QColor colour,
                    int offset, QColor shadowColour);

class AboutPanel : public QDialog {
  public:
    explicit AboutPanel(QWidget* owner);

    QPushButton* okButton() const { return okButton_; }   // id 1, the default button
    QLabel* iconControl() const { return iconControl_; }  // icon 317

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPushButton* okButton_;
    QLabel* iconControl_;
};

}  // namespace zavel
