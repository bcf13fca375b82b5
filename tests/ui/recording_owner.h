// A stand-in for the main window as the tool windows see it: a real window with the four
// Settings list commands (Ctrl+K on the first), the browse button and the destination edit,
// wired the way the main window wires them. It records every change of toolWindowOpen.
#pragma once

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <array>
#include <string>
#include <vector>

#include "lists/word_list.h"
#include "ui/list_editor_window.h"
#include "ui/tool_window_owner.h"

namespace zavel::test {

class RecordingOwner : public ToolWindowOwner {
  public:
    explicit RecordingOwner(std::string programDirectory)
        : programDir(std::move(programDirectory)) {
        window.setGeometry(0, 0, 900, 600);
        window.setWindowIcon(QIcon(QPixmap(16, 16)));
        font = QFont(QStringLiteral("Courier"));
        font.setPixelSize(12);
        destinationEdit = new QLineEdit(&window);
        destinationEdit->setGeometry(10, 10, 400, 20);
        browseButton = new QPushButton(QStringLiteral("browse"), &window);
        browseButton->setGeometry(420, 10, 80, 30);
        QObject::connect(browseButton, &QPushButton::clicked,
                         [this] { opened.push_back(OpenDirectoryChooser(this)); });
        const std::array kinds{WordListKind::kKeywords, WordListKind::kExtensions,
                               WordListKind::kReservedWords, WordListKind::kErrors};
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            auto* action = new QAction(QString::fromLatin1(WordListTitle(kinds[i])), &window);
            if (i == 0) {
                action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
            }
            window.addAction(action);
            const WordListKind kind = kinds[i];
            QObject::connect(action, &QAction::triggered,
                             [this, kind] { opened.push_back(OpenListEditor(this, kind)); });
            listCommands[i] = action;
        }
    }

    QWidget* OwnerWindow() override { return &window; }
    bool IsToolWindowOpen() const override { return toolWindowOpen; }
    void SetToolWindowOpen(bool open) override {
        toolWindowOpen = open;
        openChanges.push_back(open);
        // The enable rule of the four Settings list commands.
        for (QAction* action : listCommands) {
            action->setEnabled(!open);
        }
    }
    int& ToolWindowOffset() override { return toolWindowOffset; }
    QFont ControlFont() const override { return font; }
    std::string ProgramDir() const override { return programDir; }
    bool InInstallMode() const override { return installMode; }
    QLineEdit* DestinationEdit() override { return destinationEdit; }
    std::string DestinationText() const override { return destinationText; }
    void SetDestinationText(const std::string& text) override { destinationText = text; }

    QWidget window;
    std::string programDir;
    bool toolWindowOpen = false;
    int toolWindowOffset = 0;
    bool installMode = false;
    QFont font;
    QLineEdit* destinationEdit = nullptr;
    QPushButton* browseButton = nullptr;
    std::string destinationText;
    std::array<QAction*, 4> listCommands{};
    std::vector<bool> openChanges;
    std::vector<ListEditorWindow*> opened;  // what the commands opened (null: nothing)
};

// Lets a window ended by OK, Cancel or the close box go for good.
inline void FinishDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace zavel::test
