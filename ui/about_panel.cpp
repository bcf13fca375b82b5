#include "ui/about_panel.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <initializer_list>

#include "ui/branding.h"
#include "ui/memory_dc.h"
#include "ui/resources.h"

namespace zavel {
namespace {

constexpr int kIconSize = 32;  // an icon control takes its icon's size, the standard 32 x 32
// The face behind the panel's texts: the light grey of the main window's band, against which
// the yellow and green texts and their black shadows stand out.
constexpr QRgb kPanelFace = 0xffc0c0c0u;

// Units to pixels as the platform computes it: the product divided, rounded to the nearest.
int ScaleUnits(int units, int base, int divisor) {
    const int product = units * base;
    return product >= 0 ? (product + divisor / 2) / divisor : -((-product + divisor / 2) / divisor);
}

// The panel's Courier at a character height and width of `size` pixels, drawn unsmoothed so
// that each text keeps its one colour and its shadow a clean black edge. "Courier" resolves
// through fontconfig, often to a face whose outlines break up at 8 pixels without smoothing;
// the metric-compatible Liberation Mono is hinted for such sizes and stands in when installed.
QFont PanelFont(int size, int weight) {
    static const bool hinted = QFontDatabase::hasFamily(QStringLiteral("Liberation Mono"));
    const QString face = hinted ? QStringLiteral("Liberation Mono") : QStringLiteral("Courier");
    QFont font = CreateDrawingFont(face, size, size, weight, false);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// One text at (x, y), the top-left corner of its character cell, in the painter's font.
void TextOut(QPainter& painter, int x, int y, const QString& text, QColor colour) {
    painter.setPen(colour);
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

// A text of the panel: where its black copy goes and its colour, drawn one pixel further.
struct PanelText {
    int id;
    QPoint black;
    QRgb colour;
};

}  // namespace

int DialogUnitsToPixelsX(int units) {
    return ScaleUnits(units, kDialogBaseWidth, 4);
}

int DialogUnitsToPixelsY(int units) {
    return ScaleUnits(units, kDialogBaseHeight, 8);
}

void DrawShadowText(const QString& text, QPoint position, QPainter& painter, QColor colour,
                    int offset, QColor shadowColour) {
    TextOut(painter, position.x(), position.y(), text, shadowColour);
    TextOut(painter, position.x() + offset, position.y() + offset, text, colour);
}

AboutPanel::AboutPanel(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("dialog%1").arg(kAboutPanelId));
    setWindowTitle(QStringLiteral("About Zavel..."));
    // Caption and system menu with its close box, a frame that is not resized, no help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(DialogUnitsToPixelsX(kAboutPanelUnitsWidth),
                 DialogUnitsToPixelsY(kAboutPanelUnitsHeight));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(kPanelFace));
    setPalette(colours);
    setAutoFillBackground(true);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("control1"));
    okButton_->setGeometry(DialogUnitsToPixelsX(251), DialogUnitsToPixelsY(14),
                           DialogUnitsToPixelsX(49), DialogUnitsToPixelsY(14));
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    okButton_->setFocusPolicy(Qt::StrongFocus);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    iconControl_ = new QLabel(this);
    iconControl_->setObjectName(QStringLiteral("control2"));
    iconControl_->setGeometry(DialogUnitsToPixelsX(17), DialogUnitsToPixelsY(16), kIconSize,
                              kIconSize);
    iconControl_->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
    okButton_->setFocus();
}

void AboutPanel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);  // transparent: the texts go straight onto the panel's face
    const QFont bold = PanelFont(10, 900);
    const QFont thin = PanelFont(8, 100);
    const QRgb red = qRgb(255, 0, 0);
    const QRgb green = qRgb(0, 255, 0);
    const QRgb yellow = qRgb(255, 255, 0);
    const QColor black(Qt::black);

    // Every row: black, then its colour one pixel right and down.
    const auto drawRows = [&](const QFont& font, std::initializer_list<PanelText> rows) {
        painter.setFont(font);
        for (const PanelText& t : rows) {
            DrawShadowText(LoadString(t.id), t.black, painter, t.colour, 1, black);
        }
    };
    drawRows(bold, {
                       {kAboutTitleString, {70, 30}, red},
                       {kAboutCopyrightString, {70, 50}, green},
                       {kAboutVersionString, {70, 65}, green},
                   });
    drawRows(thin, {
                       {kAboutContactHeadString, {70, 105}, yellow},
                       {kAboutMailString, {70, 125}, yellow},
                       {kAboutWebString, {70, 137}, yellow},
                       {kAboutPhoneString, {70, 149}, yellow},
                   });
    DrawShadowText(LoadString(kAboutLastBlankString), {70, 161}, painter, yellow, 1, black);
    DrawShadowText(LoadString(kAboutBlankString), {70, 181}, painter, yellow, 1, black);
}

}  // namespace zavel
