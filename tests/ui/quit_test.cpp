// Ending the program: the settings file written from the settings record and the address
// field, the worker ended before the window goes.
#include <signal.h>
#include <sys/resource.h>

#include <QAction>

#include <filesystem>

#include "tests/ui/ui_fixture.h"

namespace zavel {
namespace {

using test::UiTest;

const char kStarted[] =
    "1\r\n2\r\n9\r\n/srv/start\r\n*.htm;\r\n0\r\n1\r\n0\r\n1\r\nstart.example/\r\n";

TEST_F(UiTest, ClosingWritesTheSettingsRecordAndTheAddressFieldNotTheControls) {
    Install();
    WriteStatus(kStarted);
    auto frame = Start();
    // Controls changed but never used by an Add are not what the settings record holds.
    frame->copyRadio->setChecked(true);
    frame->sortCheck->setChecked(true);
    frame->maxLevelEdit->setText("55");
    frame->destinationEdit->setText("/elsewhere");
    frame->addressEdit->setText("typed.example/page");
    frame->close();
    EXPECT_EQ(ReadStatus(), "1\n2\n9\n/srv/start\n*.htm;\n0\n1\n0\n1\ntyped.example/page\n6\n0\n");
    EXPECT_FALSE(frame->engine->WorkerRunning());
}

TEST_F(UiTest, QuitWritesTheSettingsOfTheLastRecordShownEvenWithoutAnyAdd) {
    Install();
    auto frame = Start();
    // What an Add or a tree click does to the settings record.
    frame->settingsRecord->mode = kModeCopy;
    frame->settingsRecord->maxLevel = 4;
    frame->settingsRecord->destDir = std::make_shared<SharedText>("/copies");
    frame->addressEdit->clear();
    QAction* quit = frame->menu.action(kCommandQuit);
    ASSERT_NE(quit, nullptr);
    quit->trigger();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(ReadStatus(), "2\n0\n4\n/copies\n*.*\n1\n0\n1\n1\n\n6\n0\n");
    EXPECT_FALSE(frame->engine->WorkerRunning());
}

TEST_F(UiTest, SettingsAreWrittenOnceAndAlsoWhenTheWindowIsDestroyedWithoutClosing) {
    Install();
    auto frame = Start();
    frame->addressEdit->setText("gone.example/");
    frame.reset();
    EXPECT_EQ(ReadStatus(), "1\n0\n100\n" + home + "/\n*.*\n1\n0\n1\n1\ngone.example/\n6\n0\n");
}

TEST_F(UiTest, AddressIsCutAt199Characters) {
    Install();
    auto frame = Start();
    frame->addressEdit->setText(QString(250, 'a'));
    frame->close();
    const std::string written = ReadStatus();
    EXPECT_NE(written.find("\n" + std::string(199, 'a') + "\n"), std::string::npos);
    EXPECT_EQ(written.find(std::string(200, 'a')), std::string::npos);
}

TEST_F(UiTest, AWriteThatCannotCompleteKeepsTheOldFile) {
    Install();
    WriteStatus(kStarted);
    auto frame = Start();
    frame->addressEdit->setText("never.example/");
    // The disk fills up after a few bytes, as far as this process can tell.
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 6;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    frame->close();
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(ReadStatus(), kStarted);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(programDir),
                            std::filesystem::directory_iterator()),
              2);  // dir.lst and status.lst, no half-written file beside them
}

TEST_F(UiTest, ShowSettingsIgnoresANullRecord) {
    Install();
    WriteStatus(kStarted);
    auto frame = Start();
    frame->ShowSettings(nullptr);
    EXPECT_EQ(frame->maxLevelEdit->text(), "9");
    EXPECT_EQ(frame->destinationEdit->text(), "/srv/start");
}

}  // namespace
}  // namespace zavel
