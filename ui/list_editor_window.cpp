#include "ui/list_editor_window.h"

#include <QCloseEvent>
#include <QPalette>

#include <optional>
#include <vector>

#include "lists/word_list_writer.h"
#include "platform/message_box.h"

namespace zavel {
namespace {

// The window's outer rectangle is (100 + k, 100 + k) to (700 + k, 400 + k), k the cascade
// offset; its client area is that less a dialog frame of 3 pixels and a caption of 20.
constexpr int kWindowOrigin = 100;
constexpr int kClientWidth = 594;
constexpr int kClientHeight = 274;
constexpr int kCascadeStep = 20;
constexpr int kCascadeLimit = 200;

// Text typed into the edit field is taken up to 199 bytes and up to its first line break,
// never cutting a character in two.
constexpr std::size_t kEditTextBytes = 199;

std::string EditText(const QLineEdit* edit) {
    std::string text = edit->text().toStdString();
    text = text.substr(0, text.find_first_of("\r\n"));
    if (text.size() > kEditTextBytes) {
        std::size_t cut = kEditTextBytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        text.resize(cut);
    }
    return text;
}

QPushButton* MakeButton(const QString& text, const QRect& rect, const QFont& font,
                        QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setGeometry(rect);
    button->setFont(font);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

ListEditorWindow* ListEditorWindow::Create(const QString& title, ToolWindowOwner* owner,
                                           const std::string& text, int mode) {
    if (owner->IsToolWindowOpen()) {
        return nullptr;
    }
    owner->SetToolWindowOpen(true);

    auto* window = new ListEditorWindow(owner, mode, title);
    int& offset = owner->ToolWindowOffset();
    window->move(kWindowOrigin + offset, kWindowOrigin + offset);
    offset += kCascadeStep;
    if (offset > kCascadeLimit) {
        offset = 0;
    }

    window->nameText = text;
    window->BuildControls();
    if (mode == kWordListMode) {
        window->LoadList();
    } else {
        window->ChangeAndList(text);
        window->editField->setText(PathToDisplay(window->directoryText));
    }
    return window;
}

ListEditorWindow::ListEditorWindow(ToolWindowOwner* owner, int mode, const QString& title)
    : QWidget(owner->OwnerWindow(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      mode(mode),
      owner(owner) {
    setWindowTitle(title);
    setFixedSize(kClientWidth, kClientHeight);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(grey);
    setAutoFillBackground(true);
    if (QWidget* ownerWindow = owner->OwnerWindow()) {
        setWindowIcon(ownerWindow->windowIcon());
    }
}

void ListEditorWindow::BuildControls() {
    const QFont font = owner->ControlFont();

    list = new EditorListBox(this, mode, this);
    list->setGeometry(10, 10, 570, 190);
    list->setFont(font);

    okButton = MakeButton(QStringLiteral("OK"), QRect(10, 230, 70, 20), font, this);
    cancelButton = MakeButton(QStringLiteral("Cancel"), QRect(110, 230, 70, 20), font, this);
    connect(okButton, &QPushButton::clicked, this, [this] { OnOk(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { OnCancel(); });
    if (mode == kWordListMode) {
        addButton = MakeButton(QStringLiteral("Add"), QRect(410, 230, 70, 20), font, this);
        removeButton = MakeButton(QStringLiteral("Remove"), QRect(510, 230, 70, 20), font, this);
        removeButton->setEnabled(false);
        connect(addButton, &QPushButton::clicked, this, [this] { OnAdd(); });
        connect(removeButton, &QPushButton::clicked, this, [this] { OnRemove(); });
    }

    editField = new QLineEdit(this);
    editField->setGeometry(10, 200, 570, 20);
    editField->setFont(font);
    editField->setEnabled(mode == kWordListMode);
    // In directory mode the field cannot be typed into but is there to be read: its text stays
    // dark instead of the faint grey of a disabled control.
    QPalette readable = editField->palette();
    readable.setColor(QPalette::Disabled, QPalette::Text, QColor(64, 64, 64));
    editField->setPalette(readable);
}

std::string ListEditorWindow::ListPath() const {
    return owner->ProgramDir() + nameText;
}

void ListEditorWindow::LoadList() {
    // A missing or write-protected list shows empty. Every entry of a longer list than the
    // editor's bound is loaded too: dropping some would delete them from the file at OK.
    const std::optional<std::vector<std::string>> entries = ReadWordList(ListPath());
    if (!entries) {
        return;
    }
    list->setUpdatesEnabled(false);
    for (const std::string& entry : *entries) {
        list->AppendEntry(entry);
    }
    list->setUpdatesEnabled(true);
}

void ListEditorWindow::OnOk() {
    if (mode == kDirectoryMode) {
        OnDirectoryOk();
        return;
    }
    // The edits are the user's work: when the list cannot be saved the window stays open, so
    // they are not lost without a word.
    if (!WriteWordList(ListPath(), list->entries)) {
        platform::ShowErrorBox(nameText + ": File not saved");
        return;
    }
    DestroyWindow();
}

void ListEditorWindow::OnCancel() {
    DestroyWindow();
}

void ListEditorWindow::OnAdd() {
    if (mode != kWordListMode) {
        return;
    }
    const std::string text = EditText(editField);
    if (text.empty()) {
        return;
    }
    if (list->entries.size() >= kEditorListCapacity) {
        platform::ShowErrorBox("The list is full: it holds at most " +
                               std::to_string(kEditorListCapacity) + " entries");
        return;
    }
    list->AppendEntry(text);
    list->scrollToBottom();
}

void ListEditorWindow::OnRemove() {
    if (mode != kWordListMode) {
        return;
    }
    const int index = list->SelectedIndex();
    if (index < 0) {
        return;
    }
    list->RemoveEntry(index);
    removeButton->setEnabled(false);
}

void ListEditorWindow::OnListClick() {
    if (mode == kDirectoryMode) {
        OnDirectoryClick();
        return;
    }
    const int index = list->SelectedIndex();
    if (index < 0) {
        return;
    }
    removeButton->setEnabled(true);
    editField->setText(EntryToDisplay(list->entries[static_cast<std::size_t>(index)]));
}

void ListEditorWindow::OnListDoubleClick() {
    if (mode == kDirectoryMode) {
        OnDirectoryDoubleClick();
    }
}

void ListEditorWindow::DestroyWindow() {
    if (destroying_) {
        return;
    }
    destroying_ = true;
    owner->SetToolWindowOpen(false);
    hide();
    deleteLater();
}

void ListEditorWindow::closeEvent(QCloseEvent* event) {
    // The close box discards, as Cancel does.
    DestroyWindow();
    event->accept();
}

ListEditorWindow* OpenListEditor(ToolWindowOwner* owner, const QString& title,
                                 const std::string& fileName) {
    ListEditorWindow* window =
        ListEditorWindow::Create(title, owner, fileName, ListEditorWindow::kWordListMode);
    if (window != nullptr) {
        window->show();
    }
    return window;
}

ListEditorWindow* OpenListEditor(ToolWindowOwner* owner, WordListKind kind) {
    return OpenListEditor(owner, QString::fromLatin1(WordListTitle(kind)), WordListFileName(kind));
}

}  // namespace zavel
