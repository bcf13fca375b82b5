// The small tool window with two modes: the word-list editor, in which the user edits one of the
// four word lists and OK saves it back to its file, and the directory chooser, which walks the
// directory tree by changing the process's current directory. At most one is open at a time.
#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <string>

#include "lists/word_list.h"
#include "ui/editor_list_box.h"
#include "ui/tool_window_owner.h"

namespace zavel {

class ListEditorWindow : public QWidget {
  public:
    static constexpr int kWordListMode = 0;
    static constexpr int kDirectoryMode = 1;

    // Builds the window, not yet shown. `text` is the list's file name (word-list mode) or the
    // starting directory (directory mode). Returns null and changes nothing while another tool
    // window of the owner is open.
    static ListEditorWindow* Create(const QString& title, ToolWindowOwner* owner,
                                    const std::string& text, int mode);

    // The commands of the window's buttons.
    void OnOk();
    void OnCancel();
    void OnAdd();
    void OnRemove();
    // From the list, after its own handling.
    void OnListClick();
    void OnListDoubleClick();

    // Directory mode: enters `directory` and lists it (directory_chooser.cpp).
    void ChangeAndList(const std::string& directory);

    // Ends the window: clears the owner's toolWindowOpen, then the window goes.
    void DestroyWindow();

    const int mode;
    // The list's file name, or in directory mode the starting and later the chosen directory.
    std::string nameText;
    // Directory mode: the directory listed now, from which the lines lead on. It is the
    // chooser's own: the owner's destination text, to which every directory entered is handed
    // too, may be replaced meanwhile (an Add gives the next root a text of its own).
    std::string directoryText;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* addButton = nullptr;     // word-list mode only
    QPushButton* removeButton = nullptr;  // word-list mode only
    QLineEdit* editField = nullptr;
    EditorListBox* list = nullptr;
    ToolWindowOwner* const owner;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    ListEditorWindow(ToolWindowOwner* owner, int mode, const QString& title);
    void BuildControls();
    void LoadList();
    std::string ListPath() const;
    // Directory mode (directory_chooser.cpp).
    void OnDirectoryOk();
    void OnDirectoryClick();
    void OnDirectoryDoubleClick();

    bool destroying_ = false;
};

// The four Settings list commands: a word-list editor on the list's file, shown.
ListEditorWindow* OpenListEditor(ToolWindowOwner* owner, const QString& title,
                                 const std::string& fileName);
ListEditorWindow* OpenListEditor(ToolWindowOwner* owner, WordListKind kind);

// The browse button: the directory chooser on the destination edit's directory, shown.
ListEditorWindow* OpenDirectoryChooser(ToolWindowOwner* owner);

}  // namespace zavel
