#include "ui/own_controls.h"

#include <QKeyEvent>
#include <QPainter>

#include "ui/resources.h"

namespace zavel {
namespace {

QImage PictureOrNone(int id) {
    return id == 0 ? QImage() : LoadPaletteBitmap(id);
}

}  // namespace

PictureButton::PictureButton(const QString& text, int id, ButtonPictures pictures, QWidget* parent)
    : QAbstractButton(parent),
      id_(id),
      normal_(PictureOrNone(pictures.normal)),
      pressed_(PictureOrNone(pictures.pressed)),
      focused_(PictureOrNone(pictures.focused)),
      disabled_(PictureOrNone(pictures.disabled)) {
    setText(text);
    // A click gives a button the focus, but Tab passes over it.
    setFocusPolicy(Qt::ClickFocus);
}

const QImage& PictureButton::CurrentPicture() const {
    if (isDown() && !pressed_.isNull()) {
        return pressed_;
    }
    if (hasFocus() && !focused_.isNull()) {
        return focused_;
    }
    if (!isEnabled() && !disabled_.isNull()) {
        return disabled_;
    }
    return normal_;
}

void PictureButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QImage& picture = CurrentPicture();
    if (picture.isNull()) {
        // Without its pictures the button still says what it does.
        painter.fillRect(rect(), palette().button());
        painter.drawText(rect(), Qt::AlignCenter, text());
        return;
    }
    painter.drawImage(QPoint(0, 0), picture);
}

void OwnEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (QWidget* owner = parentWidget()) {
            owner->setFocus(Qt::OtherFocusReason);
        }
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace zavel
