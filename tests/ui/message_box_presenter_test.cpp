// Error boxes reach the user through the user-interface thread, and a thread waiting for one
// never holds up the thread that is ending it.
#include "ui/message_box_presenter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

#include "platform/message_box.h"
#include "tests/ui/ui_fixture.h"

namespace zavel {
namespace {

struct Shown {
    QString text;
    bool onUiThread = false;
};

class PresenterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallMessageBoxPresenter([this](const QString& text, platform::BoxIcon /*icon*/) {
            shown.push_back({text, QThread::currentThread() == qApp->thread()});
        });
    }
    void TearDown() override { platform::SetMessageBoxPresenter({}); }

    // Starts a thread that asks for a box and is ended while it waits, without this thread
    // serving events meanwhile, as the link commands and Quit end the worker.
    static void EndAThreadWaitingForABox(const std::string& text) {
        std::atomic<bool> ended{false};
        std::atomic<bool> waiting{false};
        std::thread worker([&] {
            platform::BoxWaitCancel cancel([&] { return ended.load(); });
            waiting = true;
            platform::ShowErrorBox(text);
        });
        while (!waiting.load()) {
            std::this_thread::yield();
        }
        ended = true;
        worker.join();
    }

    std::vector<Shown> shown;  // touched by the user-interface thread only
};

TEST_F(PresenterTest, BoxFromTheUserInterfaceThreadIsShownAtOnce) {
    platform::ShowErrorBox("Internal Error");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Internal Error");
    EXPECT_TRUE(shown[0].onUiThread);
}

TEST_F(PresenterTest, BoxFromAnotherThreadIsShownByTheUserInterfaceThreadWhileItWaits) {
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        platform::ShowErrorBox("Error accessing directory");
        returned = true;
    });
    ASSERT_TRUE(test::WaitUntil([&] { return returned.load(); }));
    worker.join();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Error accessing directory");
    EXPECT_TRUE(shown[0].onUiThread);
}

TEST_F(PresenterTest, EndingAThreadThatWaitsForABoxDoesNotDeadlockAndDropsItsBox) {
    EndAThreadWaitingForABox("Internal Error");
    EXPECT_FALSE(platform::BoxWaitCancelled());  // this thread was never cancelled
    // The command that ended the thread is done: the box of the ended crawl never comes.
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(shown.empty());
}

TEST_F(PresenterTest, BoxLeftQueuedNeverReachesAPresenterReplacedMeanwhile) {
    EndAThreadWaitingForABox("Internal Error");
    // The presenter the box was queued for (this fixture's) is replaced before the queue is
    // served, as when its owner is gone; neither it nor its successor sees the box.
    std::vector<QString> successor;
    InstallMessageBoxPresenter(
        [&](const QString& text, platform::BoxIcon) { successor.push_back(text); });
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(successor.empty());
}

TEST(RealBox, HasTheProgramsCaptionAndTheCriticalIconOrNone) {
    const std::pair<platform::BoxIcon, QMessageBox::Icon> kinds[] = {
        {platform::BoxIcon::kError, QMessageBox::Critical},
        {platform::BoxIcon::kNone, QMessageBox::NoIcon}};
    for (const auto& [asked, shown] : kinds) {
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::Information;
        // Answers the box as soon as it is up, as the user would.
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                caption = box->windowTitle();
                text = box->text();
                icon = box->icon();
                box->accept();
            }
        });
        answer.start(10);
        ShowRealBox(QStringLiteral("Error accessing directory"), asked);
        EXPECT_EQ(caption, "ZAVEL");
        EXPECT_EQ(text, "Error accessing directory");
        EXPECT_EQ(icon, shown);
    }
}

}  // namespace
}  // namespace zavel
