// The word-list editor on real widgets: loading, Add, Remove, OK, Cancel, the bound, the cascade
// and the one-tool-window rule.
#include <gtest/gtest.h>

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "lists/word_list.h"
#include "lists/word_list_cache.h"
#include "tests/support/captured_boxes.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/recording_owner.h"
#include "ui/list_editor_window.h"

namespace zavel {
namespace {

using Entries = std::vector<std::string>;
using test::ReadFileBytes;
using test::WriteFileBytes;

class WordListEditorTest : public testing::Test {
  protected:
    std::string ListPath(const std::string& name = "link.lst") const { return dir / name; }

    // Opens the Keywords editor (or another list) on its file and shows it.
    ListEditorWindow* Open(WordListKind kind = WordListKind::kKeywords) {
        ListEditorWindow* window = OpenListEditor(&owner, kind);
        EXPECT_NE(window, nullptr);
        if (window != nullptr) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
        }
        return window;
    }

    static Entries Shown(const ListEditorWindow* window) {
        Entries lines;
        for (int i = 0; i < window->list->LineCount(); ++i) {
            lines.push_back(window->list->item(i)->text().toStdString());
        }
        return lines;
    }

    static void ClickLine(ListEditorWindow* window, int index) {
        EditorListBox* list = window->list;
        list->scrollToItem(list->item(index));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(index)).center());
    }

    static void AddText(ListEditorWindow* window, const QString& text) {
        window->editField->setText(text);
        QTest::mouseClick(window->addButton, Qt::LeftButton);
    }

    test::TempDir dir;
    test::RecordingOwner owner{dir.path() + "/"};
    test::CapturedBoxes boxes;
};

// The default lists with CR LF line ends, split as the line reader splits them.
Entries DefaultEntries(WordListKind kind) {
    Entries entries;
    std::string line;
    for (char c : DefaultWordList(kind)) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) {
                entries.push_back(line);
            }
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) {
        entries.push_back(line);
    }
    return entries;
}

std::string WithLf(const Entries& entries) {
    std::string text;
    for (const std::string& entry : entries) {
        text += entry + "\n";
    }
    return text;
}

TEST_F(WordListEditorTest, EachListLoadsEditsAndSavesWithLfLineEnds) {
    for (WordListKind kind : {WordListKind::kKeywords, WordListKind::kExtensions,
                              WordListKind::kReservedWords, WordListKind::kErrors}) {
        SCOPED_TRACE(WordListTitle(kind));
        const std::string path = ListPath(WordListFileName(kind));
        WriteFileBytes(path, std::string(DefaultWordList(kind)));
        Entries expected = DefaultEntries(kind);
        ASSERT_GE(expected.size(), 2u);

        ListEditorWindow* window = Open(kind);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->windowTitle().toStdString(), WordListTitle(kind));
        EXPECT_EQ(Shown(window), expected);
        EXPECT_EQ(window->list->entries, expected);

        AddText(window, QStringLiteral("added"));
        expected.push_back("added");
        ClickLine(window, 1);
        EXPECT_EQ(window->editField->text().toStdString(), expected[1]);
        EXPECT_TRUE(window->removeButton->isEnabled());
        QTest::mouseClick(window->removeButton, Qt::LeftButton);
        expected.erase(expected.begin() + 1);
        EXPECT_EQ(Shown(window), expected);
        EXPECT_EQ(WithLf(expected).find('\r'), std::string::npos);

        QPointer<ListEditorWindow> alive(window);
        QTest::mouseClick(window->okButton, Qt::LeftButton);
        test::FinishDeletes();
        EXPECT_TRUE(alive.isNull());
        EXPECT_FALSE(owner.toolWindowOpen);
        EXPECT_EQ(ReadFileBytes(path), WithLf(expected));
        EXPECT_EQ(ReadWordList(path), expected);
    }
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(WordListEditorTest, LineEndsEmptyLinesAndLongLines) {
    const std::string line150(150, 'w');
    struct Case {
        std::string file;
        Entries shown;
    };
    const std::vector<Case> cases = {
        {"a\r\nbb\r\n", {"a", "bb"}},
        {"a\nbb\n", {"a", "bb"}},
        {"a\r\n\r\n\nbb\r\n\r\n", {"a", "bb"}},
        {"a\r\nbb", {"a", "bb"}},
        {line150 + "\r\nz\r\n", {std::string(99, 'w'), std::string(51, 'w'), "z"}},
    };
    for (const Case& c : cases) {
        WriteFileBytes(ListPath(), c.file);
        ListEditorWindow* window = Open();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(Shown(window), c.shown);
        window->OnOk();
        test::FinishDeletes();
        // Empty lines are gone after OK, and a long line stays cut in two.
        EXPECT_EQ(ReadFileBytes(ListPath()), WithLf(c.shown));
    }
}

TEST_F(WordListEditorTest, TypedEntryOf150CharactersIsSavedWholeAndReadBackInTwo) {
    WriteFileBytes(ListPath(), "HREF=\r\n");
    ListEditorWindow* window = Open();
    ASSERT_NE(window, nullptr);
    AddText(window, QString(150, QLatin1Char('t')));
    EXPECT_EQ(window->list->entries.back(), std::string(150, 't'));
    window->OnOk();
    test::FinishDeletes();
    EXPECT_EQ(ReadFileBytes(ListPath()), "HREF=\n" + std::string(150, 't') + "\n");

    window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->list->entries,
              (Entries{"HREF=", std::string(99, 't'), std::string(51, 't')}));
    window->OnCancel();
}

TEST_F(WordListEditorTest, AddAndRemoveFollowTheSelection) {
    WriteFileBytes(ListPath(), "one\r\ntwo\r\nthree\r\n");
    ListEditorWindow* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->removeButton->isEnabled());
    EXPECT_TRUE(window->addButton->isEnabled());

    // Nothing selected, nothing typed: both do nothing.
    QTest::mouseClick(window->addButton, Qt::LeftButton);
    window->OnRemove();
    EXPECT_EQ(window->list->entries, (Entries{"one", "two", "three"}));

    // A clicked entry changed in the edit field and added: a second entry, the first stays.
    ClickLine(window, 0);
    EXPECT_EQ(window->editField->text(), QStringLiteral("one"));
    window->editField->setText(QStringLiteral("one more"));
    QTest::mouseClick(window->addButton, Qt::LeftButton);
    EXPECT_EQ(window->editField->text(), QStringLiteral("one more"));  // the text stays
    QTest::mouseClick(window->addButton, Qt::LeftButton);              // duplicates accepted
    EXPECT_EQ(window->list->entries, (Entries{"one", "two", "three", "one more", "one more"}));

    // After Remove, Remove stays disabled until another line is clicked.
    ClickLine(window, 1);
    QTest::mouseClick(window->removeButton, Qt::LeftButton);
    EXPECT_EQ(window->list->entries, (Entries{"one", "three", "one more", "one more"}));
    EXPECT_FALSE(window->removeButton->isEnabled());
    EXPECT_EQ(window->list->SelectedIndex(), -1);
    ClickLine(window, 2);
    EXPECT_TRUE(window->removeButton->isEnabled());
    QTest::mouseClick(window->removeButton, Qt::LeftButton);
    EXPECT_EQ(window->list->entries, (Entries{"one", "three", "one more"}));
    EXPECT_EQ(Shown(window), window->list->entries);

    // A typed character moves to the next line that begins with it and takes its text; an
    // arrow key moves without touching the edit field.
    window->editField->clear();
    window->list->setFocus();
    QTest::keyClick(window->list, Qt::Key_T);
    EXPECT_EQ(window->list->SelectedIndex(), 1);
    EXPECT_EQ(window->editField->text(), QStringLiteral("three"));
    QTest::keyClick(window->list, Qt::Key_Down);
    EXPECT_EQ(window->list->SelectedIndex(), 2);
    EXPECT_EQ(window->editField->text(), QStringLiteral("three"));
    window->OnCancel();
}

TEST_F(WordListEditorTest, CancelAndCloseBoxLeaveTheFileAlone) {
    const std::string bytes = "a\r\n\r\nb\r\n";
    WriteFileBytes(ListPath(), bytes);
    for (bool closeBox : {false, true}) {
        ListEditorWindow* window = Open();
        ASSERT_NE(window, nullptr);
        AddText(window, QStringLiteral("never saved"));
        QPointer<ListEditorWindow> alive(window);
        if (closeBox) {
            window->close();
        } else {
            QTest::mouseClick(window->cancelButton, Qt::LeftButton);
        }
        test::FinishDeletes();
        EXPECT_TRUE(alive.isNull());
        EXPECT_FALSE(owner.toolWindowOpen);
        EXPECT_EQ(ReadFileBytes(ListPath()), bytes);
    }
    EXPECT_EQ(owner.openChanges, (std::vector<bool>{true, false, true, false}));
}

TEST_F(WordListEditorTest, CrawlSeesTheSavedListAtItsNextUse) {
    WriteFileBytes(ListPath(), "HREF=\r\n");
    WordListCache cache;  // the crawl's reader
    ASSERT_NE(cache.Get(ListPath()), nullptr);
    EXPECT_EQ(*cache.Get(ListPath()), (Entries{"HREF="}));
    ListEditorWindow* window = Open();
    ASSERT_NE(window, nullptr);
    AddText(window, QStringLiteral("SRC="));
    window->OnOk();
    test::FinishDeletes();
    EXPECT_EQ(*cache.Get(ListPath()), (Entries{"HREF=", "SRC="}));
}

TEST_F(WordListEditorTest, MissingListShowsEmptyAndOkCreatesIt) {
    ListEditorWindow* window = Open(WordListKind::kErrors);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->list->LineCount(), 0);
    AddText(window, QStringLiteral("Not Found"));
    window->OnOk();
    test::FinishDeletes();
    EXPECT_EQ(ReadFileBytes(ListPath("error.lst")), "Not Found\n");
    EXPECT_TRUE(boxes.texts().empty());
}

// Every file in the program directory: a failed write must leave no stray file behind.
std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(WordListEditorTest, WriteThatCannotCompleteKeepsTheOldListAndTheWindow) {
    const std::string old = "HREF=\r\nSRC=\r\n";
    WriteFileBytes(ListPath(), old);
    ListEditorWindow* window = Open();
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 100; ++i) {
        AddText(window, QString(99, QLatin1Char('a' + i % 26)));
    }

    // A file size limit far below the new list's size: the write breaks off with EFBIG.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    window->OnOk();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    test::FinishDeletes();

    EXPECT_EQ(ReadFileBytes(ListPath()), old);
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"link.lst"}));
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"link.lst: File not saved"}));
    // The edits are still there; once the disk takes the file, OK saves them.
    EXPECT_TRUE(owner.toolWindowOpen);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->list->LineCount(), 102);
    window->OnOk();
    test::FinishDeletes();
    EXPECT_EQ(ReadWordList(ListPath())->size(), 102u);
    EXPECT_FALSE(owner.toolWindowOpen);
}

TEST_F(WordListEditorTest, ProgramDirectoryThatCannotHoldTheListReportsAndKeepsTheWindow) {
    WriteFileBytes(dir / "plain", "a file, not a folder");
    owner.programDir = dir / "plain/";
    ListEditorWindow* window = Open();
    ASSERT_NE(window, nullptr);
    AddText(window, QStringLiteral("x"));
    window->OnOk();
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{"link.lst: File not saved"}));
    EXPECT_TRUE(owner.toolWindowOpen);
    window->OnCancel();
    test::FinishDeletes();
    EXPECT_FALSE(owner.toolWindowOpen);
}

TEST_F(WordListEditorTest, BeyondFiveThousandEntriesNothingIsLostAndAddIsRefused) {
    std::string file;
    for (int i = 0; i < 5001; ++i) {
        file += "e" + std::to_string(i) + "\r\n";
    }
    WriteFileBytes(ListPath(), file);
    ListEditorWindow* window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->list->LineCount(), 5001);
    AddText(window, QStringLiteral("one too many"));
    EXPECT_EQ(window->list->LineCount(), 5001);
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_EQ(boxes.texts()[0], "The list is full: it holds at most 5000 entries");

    // Below the bound Add works again, up to 5000 entries.
    ClickLine(window, 0);
    QTest::mouseClick(window->removeButton, Qt::LeftButton);
    ClickLine(window, 0);
    QTest::mouseClick(window->removeButton, Qt::LeftButton);
    AddText(window, QStringLiteral("fits"));
    EXPECT_EQ(window->list->LineCount(), 5000);
    EXPECT_EQ(window->list->entries.back(), "fits");
    window->OnOk();
    test::FinishDeletes();
    EXPECT_EQ(ReadWordList(ListPath())->size(), 5000u);
}

TEST_F(WordListEditorTest, WindowAsBuilt) {
    ListEditorWindow* window = Open(WordListKind::kReservedWords);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), &owner.window);
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->minimumSize(), window->maximumSize());  // not resizable
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(window->windowIcon().cacheKey(), owner.window.windowIcon().cacheKey());
    EXPECT_EQ(window->list->geometry(), QRect(10, 10, 570, 190));
    EXPECT_EQ(window->editField->geometry(), QRect(10, 200, 570, 20));
    EXPECT_EQ(window->okButton->geometry(), QRect(10, 230, 70, 20));
    EXPECT_EQ(window->cancelButton->geometry(), QRect(110, 230, 70, 20));
    EXPECT_EQ(window->addButton->geometry(), QRect(410, 230, 70, 20));
    EXPECT_EQ(window->removeButton->geometry(), QRect(510, 230, 70, 20));
    EXPECT_EQ(window->list->font(), owner.font);
    EXPECT_TRUE(window->editField->isEnabled());
    EXPECT_TRUE(window->editField->text().isEmpty());
    window->OnCancel();
}

TEST_F(WordListEditorTest, TwelveWindowsCascadeAndStartAgain) {
    for (int i = 0; i < 12; ++i) {
        ListEditorWindow* window = Open();
        ASSERT_NE(window, nullptr);
        const int k = (i % 11) * 20;
        EXPECT_EQ(window->pos(), QPoint(100 + k, 100 + k)) << "window " << i + 1;
        window->OnCancel();
        test::FinishDeletes();
    }
    EXPECT_EQ(owner.toolWindowOffset, 20);
}

TEST_F(WordListEditorTest, OnlyOneToolWindowAndTheSettingsCommandsAreDisabledMeanwhile) {
    owner.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner.window));
    owner.destinationEdit->setText(QString::fromStdString(dir.path()));
    owner.destinationText = "unchanged";

    QTest::keyClick(&owner.window, Qt::Key_K, Qt::ControlModifier);
    ASSERT_EQ(owner.opened.size(), 1u);
    ListEditorWindow* first = owner.opened[0];
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Keywords"));
    EXPECT_TRUE(owner.toolWindowOpen);
    for (QAction* command : owner.listCommands) {
        EXPECT_FALSE(command->isEnabled());
    }

    // Ctrl+K, the other commands, another editor and the browse button: nothing opens, and
    // the cascade does not move.
    owner.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&owner.window));
    QTest::keyClick(&owner.window, Qt::Key_K, Qt::ControlModifier);
    for (QAction* command : owner.listCommands) {
        command->trigger();
    }
    EXPECT_EQ(owner.opened.size(), 1u);
    EXPECT_EQ(OpenListEditor(&owner, WordListKind::kErrors), nullptr);
    QTest::mouseClick(owner.browseButton, Qt::LeftButton);
    ASSERT_EQ(owner.opened.size(), 2u);
    EXPECT_EQ(owner.opened[1], nullptr);
    EXPECT_EQ(owner.destinationText, "unchanged");
    EXPECT_EQ(owner.toolWindowOffset, 20);
    EXPECT_EQ(owner.openChanges, (std::vector<bool>{true}));

    first->OnCancel();
    test::FinishDeletes();
    for (QAction* command : owner.listCommands) {
        EXPECT_TRUE(command->isEnabled());
    }
    owner.listCommands[3]->trigger();
    ASSERT_EQ(owner.opened.size(), 3u);
    ASSERT_NE(owner.opened[2], nullptr);
    EXPECT_EQ(owner.opened[2]->windowTitle(), QStringLiteral("Errors"));
    owner.opened[2]->OnCancel();
}

}  // namespace
}  // namespace zavel
