#include "ui/accelerators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "ui/main_frame.h"
#include "ui/main_menu.h"

namespace zavel {

const std::array<Accelerator, 9>& AcceleratorTable() {
    static const std::array<Accelerator, 9> table{{
        {Qt::CTRL | Qt::Key_A, kCommandAdd},
        {Qt::CTRL | Qt::Key_C, kCommandCopyDirectory},
        {Qt::CTRL | Qt::Key_E, kCommandExpand},
        {Qt::CTRL | Qt::Key_K, kCommandKeywords},
        {Qt::CTRL | Qt::Key_R, kCommandRewrite},
        {Qt::CTRL | Qt::Key_S, kCommandShowExpanded},
        {Qt::CTRL | Qt::Key_T, kCommandSort},
        {QKeyCombination(Qt::Key_F1), kCommandHelp},
        {Qt::CTRL | Qt::Key_X, kCommandExplore},
    }};
    return table;
}

int AcceleratorCommand(QKeyCombination key) {
    // The keypad flag does not make another key; the other modifiers must match exactly.
    const QKeyCombination plain(key.keyboardModifiers() & ~Qt::KeypadModifier, key.key());
    for (const Accelerator& accelerator : AcceleratorTable()) {
        if (accelerator.key == plain) {
            return accelerator.command;
        }
    }
    return 0;
}

AcceleratorFilter::AcceleratorFilter(MainFrame* frame) : QObject(frame), frame_(frame) {
    qApp->installEventFilter(this);
}

bool AcceleratorFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) {
        return false;
    }
    // Only keys typed into the main window; its menus and other windows keep theirs.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != frame_) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const int command = AcceleratorCommand(key->keyCombination());
    if (command == 0) {
        return false;
    }
    if (type == QEvent::ShortcutOverride) {
        // Claimed before the control can claim it, and before any shortcut of the menu items:
        // the key press itself comes here next.
        key->accept();
        return true;
    }
    key->accept();
    frame_->RunCommand(command);
    return true;
}

}  // namespace zavel
