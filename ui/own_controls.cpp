#include "ui/own_controls.h"

#include <QKeyEvent>
#include <QPainter>
#include <QValidator>

#include <algorithm>

#include "ui/control_text.h"
#include "ui/resources.h"

namespace zavel {
namespace {

QImage PictureOrNone(int id) {
    return id == 0 ? QImage() : LoadPaletteBitmap(id);
}

class LengthLimit : public QValidator {
  public:
    LengthLimit(int characters, QObject* parent) : QValidator(parent), characters_(characters) {}
    State validate(QString& input, int& /*position*/) const override {
        return input.size() > characters_ ? Invalid : Acceptable;
    }

  private:
    int characters_;
};

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

OwnEdit::OwnEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty()) {
            latin1_ = false;
        }
    });
}

void OwnEdit::SetBytes(std::string_view bytes) {
    setText(ToControl(bytes));
    latin1_ = !IsUtf8(bytes);
}

std::string OwnEdit::Bytes(std::size_t maxBytes) const {
    const QString shown = text();
    const bool latin1 = latin1_ && std::all_of(shown.begin(), shown.end(),
                                               [](QChar c) { return c.unicode() <= 0xFF; });
    if (!latin1) {
        return FromControl(shown, maxBytes);
    }
    std::string bytes = shown.toLatin1().toStdString();
    bytes.resize(std::min(bytes.size(), maxBytes));
    return bytes;
}

void OwnEdit::SetTypedLengthLimit(int characters) {
    // The edit undoes a change that makes its text unacceptable, but only from an acceptable
    // text: a longer one that the program put there can be edited freely until it fits.
    setValidator(new LengthLimit(characters, this));
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
