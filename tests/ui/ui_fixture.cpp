#include "tests/ui/ui_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <filesystem>

namespace zavel::test {

bool WaitUntil(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

UiTest::UiTest() {
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(windowsDir);
    std::filesystem::create_directories(programDir);
}

void UiTest::Install() {
    WriteFileBytes(windowsDir + "/dir.lst", programDir + "\r\n");
    WriteFileBytes(programDir + "dir.lst", programDir + "\r\n");
}

void UiTest::WriteStatus(const std::string& bytes) const {
    WriteFileBytes(programDir + "status.lst", bytes);
}

std::string UiTest::ReadStatus() const {
    return ReadFileBytes(programDir + "status.lst");
}

bool UiTest::StatusExists() const {
    return FileExists(programDir + "status.lst");
}

std::unique_ptr<MainFrame> UiTest::Start() {
    auto frame = std::make_unique<MainFrame>();
    MainFrame* raw = frame.get();
    // The build, or the installer screen's, runs from the event loop.
    EXPECT_TRUE(WaitUntil([raw] { return raw->memoryDC != nullptr; }));
    QCoreApplication::processEvents();
    return frame;
}

}  // namespace zavel::test
