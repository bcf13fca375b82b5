#include "ui/editor_list_box.h"

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/list_editor_window.h"

namespace zavel {
namespace {

// Each line keeps its bytes beside the text it shows, so that a name or entry that is not valid
// text in the display encoding still goes back to the file or to chdir unchanged.
constexpr int kBytesRole = Qt::UserRole;

}  // namespace

QString EntryToDisplay(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString PathToDisplay(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string PathFromDisplay(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

EditorListBox::EditorListBox(ListEditorWindow* editor, int mode, QWidget* parent)
    : QListWidget(parent), mode(mode), editor(editor) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
}

void EditorListBox::AddLine(const std::string& text) {
    auto* item = new QListWidgetItem(
        mode == ListEditorWindow::kDirectoryMode ? PathToDisplay(text) : EntryToDisplay(text));
    item->setData(kBytesRole, QByteArray::fromStdString(text));
    addItem(item);
}

void EditorListBox::AppendEntry(const std::string& entry) {
    entries.push_back(entry);
    AddLine(entry);
}

void EditorListBox::RemoveEntry(int index) {
    if (index < 0 || index >= static_cast<int>(entries.size())) {
        return;
    }
    entries.erase(entries.begin() + index);
    delete takeItem(index);
    // As with a deleted line of a plain list box, no line is selected afterwards.
    clearSelection();
    setCurrentRow(-1);
}

void EditorListBox::SetLines(const std::vector<std::string>& lines) {
    clear();
    for (const std::string& line : lines) {
        AddLine(line);
    }
}

int EditorListBox::SelectedIndex() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

std::string EditorListBox::LineAt(int index) const {
    const QListWidgetItem* line = item(index);
    return line == nullptr ? std::string() : line->data(kBytesRole).toByteArray().toStdString();
}

void EditorListBox::keyboardSearch(const QString& search) {
    const int lines = count();
    if (search.isEmpty() || lines == 0) {
        return;
    }
    const int from = currentRow() < 0 ? 0 : currentRow() + 1;
    for (int step = 0; step < lines; ++step) {
        const int index = (from + step) % lines;
        if (item(index)->text().startsWith(search, Qt::CaseInsensitive)) {
            setCurrentRow(index);
            return;
        }
    }
}

void EditorListBox::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        editor->OnListClick();
    }
}

void EditorListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        editor->OnListDoubleClick();
    }
}

void EditorListBox::keyPressEvent(QKeyEvent* event) {
    QListWidget::keyPressEvent(event);
    // A typed character, not a key that only moves the selection (arrows, page keys).
    if (!event->text().isEmpty()) {
        editor->OnListClick();
    }
}

}  // namespace zavel
