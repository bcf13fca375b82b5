// Start-up: the mode, the controls and their states, with and without the settings file.
#include <QTest>

#include <array>
#include <filesystem>

#include "lists/settings_file.h"
#include "tests/ui/ui_fixture.h"
#include "ui/backdrop.h"
#include "ui/control_layout.h"
#include "ui/list_editor_window.h"
#include "ui/resources.h"

namespace zavel {
namespace {

using test::UiTest;

// What the settings controls show, in one comparable record.
struct Shown {
    bool get, copy, rewrite, sort, copyDirectory, showExpanded;
    std::string foreign, max, destination, fileType, address;
    bool operator==(const Shown&) const = default;
};

void PrintTo(const Shown& s, std::ostream* out) {
    *out << "get " << s.get << " copy " << s.copy << " rewrite " << s.rewrite << " sort " << s.sort
         << " copyDirectory " << s.copyDirectory << " showExpanded " << s.showExpanded << " levels "
         << s.foreign << "/" << s.max << " dest '" << s.destination << "' types '" << s.fileType
         << "' address '" << s.address << "'";
}

Shown ShownBy(const MainFrame& f) {
    return {f.getRadio->isChecked(),
            f.copyRadio->isChecked(),
            f.rewriteCheck->isChecked(),
            f.sortCheck->isChecked(),
            f.copyDirectoryCheck->isChecked(),
            f.showExpandedCheck->isChecked(),
            f.foreignLevelEdit->text().toStdString(),
            f.maxLevelEdit->text().toStdString(),
            f.destinationEdit->text().toStdString(),
            f.fileTypeEdit->text().toStdString(),
            f.addressEdit->text().toStdString()};
}

TEST_F(UiTest, WithoutInstallRecordTheWindowIsTheInstallerFrame) {
    auto frame = Start();
    EXPECT_EQ(frame->installMode, 1);
    EXPECT_EQ(frame->windowTitle(), "Installing Zavel");
    const QSize full = FullScreenSize();
    EXPECT_EQ(frame->frameGeometry(),
              QRect((full.width() - 500) / 2, (full.height() - 300) / 2, 500, 300));
    EXPECT_EQ(frame->engine, nullptr);
    EXPECT_EQ(frame->addButton, nullptr);
    EXPECT_EQ(frame->settingsRecord, nullptr);
    EXPECT_TRUE(frame->menuBar()->actions().isEmpty());
    EXPECT_NE(frame->installer, nullptr);
}

TEST_F(UiTest, UninstalledProgramNeitherReadsNorWritesItsSettings) {
    // The uninstaller leaves the record in the Windows directory and removes the other copy.
    Install();
    std::filesystem::remove(programDir + "dir.lst");
    WriteStatus("2\r\n");
    auto frame = Start();
    EXPECT_EQ(frame->installMode, 1);
    EXPECT_EQ(frame->settingsRecord, nullptr);
    frame->close();
    frame.reset();
    EXPECT_EQ(ReadStatus(), "2\r\n");
}

TEST_F(UiTest, InstalledWithoutSettingsFileShowsTheBuiltInValues) {
    Install();
    auto frame = Start();
    EXPECT_EQ(frame->installMode, 0);
    EXPECT_EQ(frame->programDir, programDir);
    EXPECT_EQ(ShownBy(*frame),
              (Shown{true, false, false, true, true, true, "0", "100", home + "/", "*.*", ""}));
    ASSERT_NE(frame->settingsRecord, nullptr);
    EXPECT_EQ(frame->settingsRecord->tempPath, kSettingsHolderPath);
    EXPECT_EQ(frame->settingsRecord->label, "A");
    EXPECT_EQ(frame->engine->table().Count(), 0);
}

TEST_F(UiTest, DefaultSettingsFileIsShownAsItStands) {
    Install();
    WriteStatus(std::string(DefaultSettingsFile()));
    auto frame = Start();
    EXPECT_EQ(ShownBy(*frame), (Shown{true, false, false, true, false, true, "0", "100", "/tmp",
                                      "*.*;", "example.com/"}));
    EXPECT_EQ(frame->destinationText->Get(), "/tmp");
    EXPECT_EQ(*frame->fileTypeText, "*.*;");
}

TEST_F(UiTest, ShortSettingsFileKeepsTheBuiltInValuesOfTheRest) {
    Install();
    WriteStatus("2\r\n5\r\n7\r\n");
    auto frame = Start();
    EXPECT_EQ(ShownBy(*frame),
              (Shown{false, true, false, true, true, true, "5", "7", home + "/", "*.*", ""}));
}

TEST_F(UiTest, DamagedSettingsFileShowsZeroForTextInNumericLines) {
    Install();
    WriteStatus("get\r\nsome\r\n-3x\r\nC:\\windows\r\n*.htm\r\nyes\r\n1\r\n0\r\n1\r\nhost/a\r\n");
    auto frame = Start();
    EXPECT_EQ(ShownBy(*frame), (Shown{false, true, true, false, false, true, "0", "-3",
                                      "C:\\windows", "*.htm", "host/a"}));
}

TEST_F(UiTest, ControlsAreBuiltWithTheirTextsAndOnlyAddAndBrowseEnabled) {
    Install();
    auto frame = Start();
    EXPECT_EQ(frame->windowTitle(), "ZAVEL");
    EXPECT_EQ(frame->frameGeometry(), QRect(0, 0, 1024, 700));
    const std::pair<PictureButton*, const char*> buttons[] = {
        {frame->addButton, "add"},           {frame->removeButton, "remove"},
        {frame->expandButton, "expand"},     {frame->stopButton, "stop"},
        {frame->saveAsButton, "save as..."}, {frame->browseButton, "browse"}};
    for (const auto& [button, text] : buttons) {
        EXPECT_EQ(button->text(), text);
        EXPECT_EQ(button->size(), QSize(80, 30)) << text;
    }
    EXPECT_TRUE(frame->addButton->isEnabled());
    EXPECT_TRUE(frame->browseButton->isEnabled());
    for (PictureButton* idle :
         {frame->removeButton, frame->expandButton, frame->stopButton, frame->saveAsButton}) {
        EXPECT_FALSE(idle->isEnabled()) << idle->text().toStdString();
    }
    EXPECT_EQ(frame->removeButton->CurrentPicture(), LoadPaletteBitmap(274));
    EXPECT_EQ(frame->addButton->CurrentPicture(), LoadPaletteBitmap(263));
    frame->addButton->setDown(true);
    EXPECT_EQ(frame->addButton->CurrentPicture(), LoadPaletteBitmap(226));
    EXPECT_EQ((std::array{frame->canAdd, frame->canRemove, frame->canExpand, frame->canStop,
                          frame->canSaveAs}),
              (std::array{1, 0, 0, 0, 0}));

    EXPECT_EQ(frame->getRadio->text(), "get");
    EXPECT_EQ(frame->copyRadio->text(), "copy");
    EXPECT_EQ(frame->copyDirectoryCheck->text(), "copy directory");
    EXPECT_EQ(frame->showExpandedCheck->text(), "show expanded");
    EXPECT_EQ(frame->fileTypeEdit->focusPolicy(), Qt::ClickFocus);  // no tab stop
    EXPECT_EQ(frame->addressEdit->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(frame->addressEdit->font(), frame->controlFont);

    EXPECT_EQ(frame->statusBarOn, 1);
    EXPECT_TRUE(frame->statusPane->isEnabled());
    EXPECT_EQ(frame->menuBar()->actions().size(), 4);
    EXPECT_EQ(frame->menu.actions.size(),
              27u);  // with Offline Links, Export, Problems and the six requests at once
    EXPECT_EQ(frame->startScreenCleared, 0);
    EXPECT_TRUE(frame->engine->WorkerRunning());
}

TEST_F(UiTest, LevelFieldsTakeWhatTheyShowAndBrowseRestsWithoutGreyingOut) {
    Install();
    WriteStatus("1\r\n12345\r\n1000000\r\n");
    auto frame = Start();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    // Levels from the settings file are shown whole, however long.
    EXPECT_EQ(frame->foreignLevelEdit->text(), "12345");
    EXPECT_EQ(frame->maxLevelEdit->text(), "1000000");
    const std::pair<OwnEdit*, int> fields[] = {{frame->foreignLevelEdit, kForeignLevelCharacters},
                                               {frame->maxLevelEdit, kMaxLevelCharacters}};
    for (const auto& [field, characters] : fields) {
        // Such a text can be edited; typed text then stops at what the field shows whole.
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, "98765432");
        EXPECT_EQ(field->text(), QStringLiteral("98765432").left(characters));
        // Its strokes fit inside the frame and the edit's own margin of 2 pixels on either side.
        const int frameWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        EXPECT_LE(field->fontMetrics().tightBoundingRect(field->text()).width(),
                  field->width() - 2 * frameWidth - 4);
    }

    // While a tool window is open, browse looks as ever and opens nothing.
    frame->RunCommand(kCommandKeywords);
    ASSERT_EQ(frame->toolWindowOpen, 1);
    EXPECT_EQ(frame->browseButton->CurrentPicture(), LoadPaletteBitmap(277));
    QTest::mouseClick(frame->browseButton, Qt::LeftButton);
    const QObjectList children = frame->children();
    EXPECT_EQ(std::count_if(children.begin(), children.end(),
                            [](QObject* child) { return dynamic_cast<ListEditorWindow*>(child); }),
              1);
}

TEST_F(UiTest, WindowFirstAppearsAt1024By600AndIsReplacedWhenBuilt) {
    Install();
    MainFrame frame;
    EXPECT_EQ(frame.frameGeometry(), QRect(0, 0, 1024, 600));
    EXPECT_EQ(frame.memoryDC, nullptr);  // the build waits for its message
    ASSERT_TRUE(test::WaitUntil([&] { return frame.memoryDC != nullptr; }));
    EXPECT_EQ(frame.frameGeometry(), QRect(0, 0, 1024, 700));
}

TEST_F(UiTest, TreeStartsHiddenWithItsFiveStateImages) {
    Install();
    auto frame = Start();
    EXPECT_TRUE(frame->tree->geometry().isEmpty());
    EXPECT_EQ(frame->tree->frame(), frame.get());
    EXPECT_EQ(frame->tree->iconSize(), QSize(10, 10));
    // The mask colour of each bitmap is see-through; the rest is drawn.
    const int ids[] = {217, 218, 219, 220, 280};
    const QRgb masks[] = {qRgb(0, 255, 0), qRgb(0, 0, 0), qRgb(0, 0, 0), qRgb(0, 0, 0),
                          qRgb(1, 1, 1)};
    for (int i = 0; i < kStateImageCount; ++i) {
        const QImage bitmap = LoadPaletteBitmap(ids[i]);
        ASSERT_EQ(bitmap.size(), QSize(10, 10)) << ids[i];
        const QImage image = frame->tree->stateImages()[i].pixmap(10, 10).toImage();
        ASSERT_EQ(image.size(), QSize(10, 10));
        int seeThrough = 0;
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                const bool mask = (bitmap.pixel(x, y) | 0xff000000u) == masks[i];
                EXPECT_EQ(qAlpha(image.pixel(x, y)) == 0, mask) << ids[i] << " " << x << "," << y;
                seeThrough += mask ? 1 : 0;
            }
        }
        EXPECT_GT(seeThrough, 0) << ids[i];
    }
}

TEST_F(UiTest, EnterInAnyEditMovesTheFocusToTheWindowAndInsertsNothing) {
    Install();
    auto frame = Start();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    for (OwnEdit* edit : {frame->addressEdit, frame->foreignLevelEdit, frame->maxLevelEdit,
                          frame->destinationEdit, frame->fileTypeEdit}) {
        edit->clear();  // the level fields take only what they show
        edit->setFocus();
        ASSERT_TRUE(test::WaitUntil([edit] { return edit->hasFocus(); }));
        QTest::keyClicks(edit, "ab");
        const QString typed = edit->text();
        EXPECT_TRUE(typed.endsWith("ab"));
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(edit->text(), typed);
        EXPECT_FALSE(edit->hasFocus());
        EXPECT_EQ(QApplication::focusWidget(), frame->clientArea);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(edit->text(), typed);
        EXPECT_EQ(QApplication::focusWidget(), frame->clientArea);
    }
}

}  // namespace
}  // namespace zavel
