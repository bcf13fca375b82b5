// The two control classes of the main window's own: the picture buttons, which show one of
// their pictures by state, and the edit fields, in which Enter hands the focus back to the
// window instead of typing anything.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QLineEdit>

#include <cstddef>
#include <string>
#include <string_view>

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

// The edit also carries the program's texts as bytes: what the program shows in it, typed over or
// not, is read back as the bytes it was (see control_text.h).
class OwnEdit : public QLineEdit {
  public:
    explicit OwnEdit(QWidget* parent);

    // Shows `bytes` whole (a typed-length limit does not cut them) and remembers whether they
    // were shown as Latin-1.
    void SetBytes(std::string_view bytes);
    // The text as bytes, at most `maxBytes`. While the field shows bytes that are not UTF-8 and
    // every character of its text has a Latin-1 code, each character is its byte again, so the
    // text shown, or edited, gives back the bytes it stands for; otherwise the text is UTF-8,
    // as whatever the user types. Emptying the field ends the Latin-1 reading.
    std::string Bytes(std::size_t maxBytes = std::string::npos) const;

    // The user types at most `characters` characters: as many as the field shows whole, as a
    // field that does not scroll its text takes only what fits. A longer text that the program
    // shows stays whole until the user makes it fit.
    void SetTypedLengthLimit(int characters);

  protected:
    // A carriage return (Enter on either key) moves the focus to the parent window and is not
    // passed on; every other key is the edit's as usual.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool latin1_ = false;
};

}  // namespace zavel
