#include "ui/message_box_presenter.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QThread>

#include <atomic>
#include <chrono>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <string>

#include "platform/message_box.h"

namespace zavel {
namespace {

std::atomic<bool> applicationEnding{false};

class BoxQueue;

// One installed presenter. A box asked for by another thread holds it only weakly: a caller
// that stops waiting takes its box back, but the user-interface thread may have taken it from
// the queue a moment before, and once the presenter has been replaced that box must not reach
// the shower it was asked of, whose owner may be gone.
struct Installation {
    BoxShower show;
    BoxQueue* queue = nullptr;  // belongs to the application
};

// The boxes other threads ask for, shown by the user-interface thread. The requests wait in a
// list under a lock of their own and the event posted to the user-interface thread carries
// nothing: every hand-over between the threads is one that ThreadSanitizer sees, which Qt's
// own queue of posted calls, uninstrumented, is not.
class BoxQueue : public QObject {
  public:
    struct Request {
        std::weak_ptr<const Installation> installation;
        std::string text;
        platform::BoxIcon icon = platform::BoxIcon::kError;
        std::shared_ptr<std::promise<void>> dismissed;
    };

    explicit BoxQueue(QObject* parent) : QObject(parent) {}

    // Any thread.
    void Add(Request request) {
        {
            std::lock_guard lock(mutex_);
            pending_.push_back(std::move(request));
        }
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

    // Any thread. Takes back a request that has not been shown yet: its caller no longer waits
    // and what it reports belongs to a crawl that has been ended.
    void Withdraw(const std::shared_ptr<std::promise<void>>& dismissed) {
        std::lock_guard lock(mutex_);
        std::erase_if(pending_, [&](const Request& r) { return r.dismissed == dismissed; });
    }

  protected:
    // Whatever the event, it only says that requests may be waiting; it is never read.
    void customEvent(QEvent* /*event*/) override {
        for (;;) {
            Request next;
            {
                std::lock_guard lock(mutex_);
                if (pending_.empty()) {
                    return;
                }
                next = std::move(pending_.front());
                pending_.pop_front();
            }
            // A box may run an event loop of its own, where the next request is shown.
            if (const std::shared_ptr<const Installation> installation = next.installation.lock()) {
                installation->show(ToQString(next.text), next.icon);
            }
            next.dismissed->set_value();
        }
    }

  private:
    static QString ToQString(const std::string& utf8) {
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }

    std::mutex mutex_;
    std::deque<Request> pending_;  // guarded by mutex_
};

void Present(const std::shared_ptr<const Installation>& installation, const std::string& utf8,
             platform::BoxIcon icon) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || installation->queue == nullptr || applicationEnding.load()) {
        return;
    }
    if (QThread::currentThread() == app->thread()) {
        installation->show(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())),
                           icon);
        return;
    }
    auto dismissed = std::make_shared<std::promise<void>>();
    std::future<void> waited = dismissed->get_future();
    installation->queue->Add({installation, utf8, icon, dismissed});
    // The user-interface thread may be waiting for this thread to end (Remove, Stop, Quit); it
    // cannot show the box then, so waiting on must not outlast that.
    while (waited.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        if (platform::BoxWaitCancelled() || applicationEnding.load() ||
            QCoreApplication::closingDown()) {
            installation->queue->Withdraw(dismissed);
            return;
        }
    }
}

}  // namespace

void ShowRealBox(const QString& text, platform::BoxIcon icon) {
    const QMessageBox::Icon shown =
        icon == platform::BoxIcon::kError ? QMessageBox::Critical : QMessageBox::NoIcon;
    QMessageBox box(shown, QStringLiteral("ZAVEL"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void InstallMessageBoxPresenter(BoxShower show) {
    applicationEnding.store(false);
    BoxQueue* queue = nullptr;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QObject::connect(app, &QCoreApplication::aboutToQuit,
                         [] { applicationEnding.store(true); });
        queue = new BoxQueue(app);
    }
    // The presenter function is the installation's only strong owner besides the callers
    // inside it: replacing the presenter ends the installation once they have returned.
    auto installation = std::make_shared<const Installation>(Installation{std::move(show), queue});
    platform::SetMessageBoxPresenter(
        [installation](const std::string& text, platform::BoxIcon icon) {
            Present(installation, text, icon);
        });
}

}  // namespace zavel
