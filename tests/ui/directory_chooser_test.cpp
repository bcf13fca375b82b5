// The directory chooser: the pure rules of its lines, the listing, and the window walking a
// temporary directory tree by changing the process's current directory.
#include <gtest/gtest.h>

#include <QPointer>
#include <QTest>

#include <unistd.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/captured_boxes.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/recording_owner.h"
#include "ui/directory_listing.h"
#include "ui/list_editor_window.h"

namespace zavel {
namespace {

using Lines = std::vector<std::string>;

TEST(TargetOfLine, DriveNotationKeptAsAPureRule) {
    struct Case {
        const char* line;
        const char* current;
        const char* target;
    };
    const Case cases[] = {
        {"[-c-]", "C:/WINDOWS", "c:"},
        {"[-d-]", "/anything", "d:"},
        {"[..]", "C:/WINDOWS/SYSTEM", "C:/WINDOWS"},
        {"[..]", "C:/WINDOWS", "C:/"},  // the root keeps its separator
        {"[..]", "C:/", "C:/"},
        {"[..]", "c:", "c:"},
        {"[SYSTEM]", "C:/WINDOWS", "C:/WINDOWS/SYSTEM"},
        {"[TEMP]", "C:/", "C:/TEMP"},  // no doubled separator
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TargetOfLine(c.line, c.current, true), c.target) << c.line << " " << c.current;
    }
}

TEST(TargetOfLine, ThisPlatformsRootAndNames) {
    struct Case {
        const char* line;
        const char* current;
        const char* target;
    };
    const Case cases[] = {
        {"[..]", "/home/ann/docs", "/home/ann"},
        {"[..]", "/home", "/"},
        {"[..]", "/", "/"},
        {"[..]", "/home/ann/", "/home/ann"},
        {"[..]", "relative", "relative"},
        {"[tmp]", "/", "/tmp"},
        {"[docs]", "/home/ann", "/home/ann/docs"},
        {"[-c-]", "/home", "/home/-c-"},  // no drives here: a folder named so is a folder
        {"[a]b]", "/x", "/x/a]b"},
        {"[]", "/x", "/x/"},
        {"[", "/x", "/x"},
        {"", "/x", "/x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TargetOfLine(c.line, c.current), c.target) << c.line << " " << c.current;
    }
}

TEST(DirectoryListingLines, SubdirectoriesOnlyInOrderAndNoParentAtTheRoot) {
    test::TempDir dir;
    for (const char* name : {"beta", "Alpha", "gamma", ".hidden", "[odd]"}) {
        std::filesystem::create_directory(dir / name);
    }
    test::WriteFileBytes(dir / "file.txt", "plain files never show");
    std::filesystem::create_directory_symlink(dir / "beta", dir / "Linked");
    std::filesystem::create_symlink(dir / "file.txt", dir / "filelink");

    EXPECT_EQ(DirectoryListingLines(dir.path()),
              (Lines{"[..]", "[[odd]]", "[Alpha]", "[beta]", "[gamma]", "[Linked]"}));
    EXPECT_EQ(DirectoryListingLines(dir / "beta"), (Lines{"[..]"}));
    EXPECT_EQ(DirectoryListingLines(dir / "vanished"), (Lines{"[..]"}));

    const Lines root = DirectoryListingLines("/");
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(std::count(root.begin(), root.end(), "[..]"), 0);
    EXPECT_EQ(std::count(root.begin(), root.end(), "[tmp]"), 1);
}

class DirectoryChooserTest : public testing::Test {
  protected:
    DirectoryChooserTest() {
        for (const char* sub : {"sub", "sub/deeper", "other"}) {
            std::filesystem::create_directory(top + "/" + sub);
        }
        test::WriteFileBytes(top + "/note.txt", "x");
    }
    ~DirectoryChooserTest() override { EnterDirectory(startDir); }

    ListEditorWindow* Open(const std::string& start) {
        owner.destinationEdit->setText(QString::fromStdString(start));
        QTest::mouseClick(owner.browseButton, Qt::LeftButton);
        ListEditorWindow* window = owner.opened.empty() ? nullptr : owner.opened.back();
        EXPECT_NE(window, nullptr);
        return window;
    }

    static Lines Listed(const ListEditorWindow* window) {
        Lines lines;
        for (int i = 0; i < window->list->LineCount(); ++i) {
            lines.push_back(window->list->LineAt(i));
        }
        return lines;
    }

    static int Row(const ListEditorWindow* window, const std::string& line) {
        for (int i = 0; i < window->list->LineCount(); ++i) {
            if (window->list->LineAt(i) == line) {
                return i;
            }
        }
        ADD_FAILURE() << "no line " << line;
        return -1;
    }

    static void Click(ListEditorWindow* window, const std::string& line) {
        EditorListBox* list = window->list;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(Row(window, line))).center());
    }

    // A double click as a person makes it: its first click selects and shows the target.
    static void DoubleClick(ListEditorWindow* window, const std::string& line) {
        EditorListBox* list = window->list;
        const QPoint at = list->visualItemRect(list->item(Row(window, line))).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    static std::string Cwd() { return CurrentDirectory().value_or("(none)"); }

    const std::string startDir = CurrentDirectory().value();
    test::TempDir dir;
    const std::string top = std::filesystem::canonical(dir.path()).string();
    test::RecordingOwner owner{top + "/"};
    test::CapturedBoxes boxes;
};

TEST_F(DirectoryChooserTest, ClicksShowTargetsAndDoubleClicksWalkTheTree) {
    ListEditorWindow* window = Open(top);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle().toStdString(), "Change Directory [" + top + "]");
    EXPECT_EQ(Listed(window), (Lines{"[..]", "[other]", "[sub]"}));
    EXPECT_EQ(Cwd(), top);
    EXPECT_EQ(owner.destinationText, top);
    EXPECT_EQ(window->editField->text().toStdString(), top);
    EXPECT_FALSE(window->editField->isEnabled());
    EXPECT_EQ(window->addButton, nullptr);
    EXPECT_EQ(window->removeButton, nullptr);

    // A click only shows where the line leads.
    Click(window, "[sub]");
    EXPECT_EQ(window->editField->text().toStdString(), top + "/sub");
    EXPECT_EQ(Cwd(), top);
    Click(window, "[..]");
    const std::string parent = std::filesystem::path(top).parent_path().string();
    EXPECT_EQ(window->editField->text().toStdString(), parent);

    // A double click enters; the edit field keeps what its first click showed.
    DoubleClick(window, "[sub]");
    EXPECT_EQ(Cwd(), top + "/sub");
    EXPECT_EQ(owner.destinationText, top + "/sub");
    EXPECT_EQ(window->windowTitle().toStdString(), "Change Directory [" + top + "/sub]");
    EXPECT_EQ(Listed(window), (Lines{"[..]", "[deeper]"}));
    EXPECT_EQ(window->editField->text().toStdString(), top + "/sub");

    // [..] climbs.
    DoubleClick(window, "[..]");
    EXPECT_EQ(Cwd(), top);
    EXPECT_EQ(owner.destinationText, top);
    EXPECT_EQ(Listed(window), (Lines{"[..]", "[other]", "[sub]"}));

    // A typed character selects the next line beginning with it, as a click would; every line
    // begins with its bracket.
    window->list->setFocus();
    QTest::keyClick(window->list, '[');
    EXPECT_EQ(window->editField->text().toStdString(), parent);
    QTest::keyClick(window->list, '[');
    EXPECT_EQ(window->editField->text().toStdString(), top + "/other");
    window->OnCancel();
    EXPECT_TRUE(boxes.texts().empty());
}

TEST_F(DirectoryChooserTest, LinesLeadOnFromTheListedFolderWhenTheOwnersTextIsReplaced) {
    ListEditorWindow* window = Open(top);
    ASSERT_NE(window, nullptr);
    // An Add meanwhile gives the owner's destination text to the new root: another folder.
    owner.destinationText = top + "/other";
    Click(window, "[sub]");
    EXPECT_EQ(window->editField->text().toStdString(), top + "/sub");
    DoubleClick(window, "[sub]");
    EXPECT_EQ(Cwd(), top + "/sub");
    DoubleClick(window, "[..]");
    EXPECT_EQ(Cwd(), top);
    EXPECT_EQ(owner.destinationText, top);
    EXPECT_TRUE(boxes.texts().empty());
    window->OnCancel();
}

TEST_F(DirectoryChooserTest, TheRootHasNoParentLineAndKeepsItsSeparator) {
    ListEditorWindow* window = Open(top + "/sub");
    ASSERT_NE(window, nullptr);
    // Climb all the way up.
    while (Cwd() != "/") {
        const std::string before = Cwd();
        DoubleClick(window, "[..]");
        ASSERT_NE(Cwd(), before);
    }
    EXPECT_EQ(owner.destinationText, "/");
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Change Directory [/]"));
    const Lines lines = Listed(window);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "[..]"), 0);
    Click(window, "[tmp]");
    EXPECT_EQ(window->editField->text(), QStringLiteral("/tmp"));
    window->OnCancel();
}

TEST_F(DirectoryChooserTest, FolderThatCannotBeEnteredGivesTheMessageAndTheSameFolder) {
    std::filesystem::create_directory(top + "/vanishing");
    ListEditorWindow* window = Open(top);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(Listed(window), (Lines{"[..]", "[other]", "[sub]", "[vanishing]"}));
    std::filesystem::remove(top + "/vanishing");

    DoubleClick(window, "[vanishing]");
    EXPECT_EQ(boxes.texts(), (Lines{"Error accessing directory"}));
    EXPECT_EQ(Cwd(), top);
    EXPECT_EQ(owner.destinationText, top);
    EXPECT_EQ(window->windowTitle().toStdString(), "Change Directory [" + top + "]");
    EXPECT_EQ(Listed(window), (Lines{"[..]", "[other]", "[sub]"}));

    if (geteuid() != 0) {
        ASSERT_EQ(chmod((top + "/other").c_str(), 0), 0);
        DoubleClick(window, "[other]");
        EXPECT_EQ(boxes.texts().size(), 2u);
        EXPECT_EQ(Cwd(), top);
    }
    window->OnCancel();
}

TEST_F(DirectoryChooserTest, CurrentFolderRemovedUnderTheChooserFallsBackToAFolderAbove) {
    ListEditorWindow* window = Open(top + "/sub/deeper");
    ASSERT_NE(window, nullptr);
    std::filesystem::create_directory(top + "/sub/deeper/inner");
    window->ChangeAndList(top + "/sub/deeper");
    std::filesystem::remove_all(top + "/sub");  // the current folder and everything in it

    DoubleClick(window, "[inner]");
    EXPECT_EQ(boxes.texts(), (Lines{"Error accessing directory"}));
    EXPECT_EQ(Cwd(), top);
    EXPECT_EQ(owner.destinationText, top);
    window->OnCancel();
}

TEST_F(DirectoryChooserTest, StartingFolderThatCannotBeEnteredOpensOnTheCurrentOne) {
    ASSERT_TRUE(EnterDirectory(top + "/other"));
    owner.installMode = true;
    ListEditorWindow* window = Open(top + "/note.txt");  // a file, not a folder
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(boxes.texts(), (Lines{"Error accessing directory"}));
    EXPECT_EQ(owner.destinationText, top + "/other");
    // Opened as "Choose Directory", the listing names the folder all the same.
    EXPECT_EQ(window->windowTitle().toStdString(), "Change Directory [" + top + "/other]");
    window->OnCancel();
}

TEST_F(DirectoryChooserTest, OkTakesTheCurrentFolderAsTheSystemSpellsIt) {
    // OK without navigating gives the full, plain spelling of the starting folder.
    ListEditorWindow* window = Open(top + "/sub/../sub/");
    ASSERT_NE(window, nullptr);
    QPointer<ListEditorWindow> alive(window);
    QTest::mouseClick(window->okButton, Qt::LeftButton);
    test::FinishDeletes();
    EXPECT_TRUE(alive.isNull());
    EXPECT_FALSE(owner.toolWindowOpen);
    EXPECT_EQ(owner.destinationEdit->text().toStdString(), top + "/sub");
    EXPECT_EQ(owner.destinationText, top + "/sub");

    window = Open(top);
    ASSERT_NE(window, nullptr);
    DoubleClick(window, "[other]");
    window->OnOk();
    test::FinishDeletes();
    EXPECT_EQ(owner.destinationEdit->text().toStdString(), top + "/other");
    EXPECT_EQ(owner.destinationText, top + "/other");
    EXPECT_EQ(Cwd(), top + "/other");
}

TEST_F(DirectoryChooserTest, CancelAndCloseBoxUndoNothing) {
    for (bool closeBox : {false, true}) {
        ListEditorWindow* window = Open(top);
        ASSERT_NE(window, nullptr);
        DoubleClick(window, "[sub]");
        DoubleClick(window, "[deeper]");
        if (closeBox) {
            window->close();
        } else {
            QTest::mouseClick(window->cancelButton, Qt::LeftButton);
        }
        test::FinishDeletes();
        EXPECT_FALSE(owner.toolWindowOpen);
        EXPECT_EQ(owner.destinationEdit->text().toStdString(), top);
        EXPECT_EQ(Cwd(), top + "/sub/deeper");
        EXPECT_EQ(owner.destinationText, top + "/sub/deeper");
    }
}

}  // namespace
}  // namespace zavel
