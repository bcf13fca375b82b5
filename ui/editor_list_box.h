// The list of a tool window: the entries of a word list (word-list mode, unsorted, so entry i is
// line i) or the listing of a directory (directory mode, in listing order). Besides the ordinary
// list handling it passes clicks, double clicks and typed characters on to its window.
#pragma once

#include <QListWidget>

#include <string>
#include <vector>

namespace zavel {

class ListEditorWindow;

class EditorListBox : public QListWidget {
  public:
    EditorListBox(ListEditorWindow* editor, int mode, QWidget* parent);

    // Word-list mode: appends an entry as the new last line / removes entry `index`.
    void AppendEntry(const std::string& entry);
    void RemoveEntry(int index);
    // Directory mode: replaces every line.
    void SetLines(const std::vector<std::string>& lines);

    // The selected line's index, or -1 when no line is selected.
    int SelectedIndex() const;
    // The text of line `index` exactly as held (the entry, or the listing line), as bytes.
    std::string LineAt(int index) const;
    int LineCount() const { return count(); }

    // A typed character selects the next line after the selected one (from the top when none is
    // selected, wrapping at the end) that begins with it, letter case ignored. Each character
    // is a search of its own: typing "s" twice visits the second line beginning with "s".
    void keyboardSearch(const QString& search) override;

    // Word-list mode: the entries in list order.
    std::vector<std::string> entries;
    const int mode;
    ListEditorWindow* const editor;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void AddLine(const std::string& text);
};

// How bytes of a list or of a path are shown, and how typed text becomes bytes again.
QString EntryToDisplay(const std::string& bytes);
QString PathToDisplay(const std::string& bytes);
std::string PathFromDisplay(const QString& text);

}  // namespace zavel
