// The two control classes of the main window's own: the picture buttons, which show one of
// their pictures by state, and the edit fields, in which Enter hands the focus back to the
// window instead of typing anything.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>

namespace zavel {

// The resource ids of a picture button's pictures; 0 where the button has none.
struct ButtonPictures {
    int normal = 0;
    int pressed = 0;
    int focused = 0;
    int disabled = 0;
};

class PictureButton : public QAbstractButton {
  public:
    // `id` is the command the button sends (see the command table).
    PictureButton(const QString& text, int id, ButtonPictures pictures, QWidget* parent);

    int id() const { return id_; }
    QSize sizeHint() const override { return {80, 30}; }
    // The picture the button shows now: pressed while pressed; otherwise focused while it has
    // the focus and a focused picture; otherwise disabled while disabled and a disabled
    // picture; otherwise normal.
    const QImage& CurrentPicture() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int id_;
    QImage normal_;
    QImage pressed_;
    QImage focused_;
    QImage disabled_;
};

class OwnEdit : public QLineEdit {
  public:
    explicit OwnEdit(QWidget* parent) : QLineEdit(parent) {}

  protected:
    // A carriage return (Enter on either key) moves the focus to the parent window and is not
    // passed on; every other key is the edit's as usual.
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zavel
