#include "ui/message_box_presenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

#include "platform/message_box.h"

namespace zavel {
namespace {

std::atomic<bool> applicationEnding{false};

void Present(const BoxShower& show, const std::string& utf8) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || applicationEnding.load()) {
        return;
    }
    if (QThread::currentThread() == app->thread()) {
        show(text);
        return;
    }
    auto dismissed = std::make_shared<std::promise<void>>();
    std::future<void> waited = dismissed->get_future();
    QMetaObject::invokeMethod(
        app,
        [show, text, dismissed] {
            show(text);
            dismissed->set_value();
        },
        Qt::QueuedConnection);
    // The user-interface thread may be waiting for this thread to end (Remove, Stop, Quit); it
    // cannot show the box then, so waiting on must not outlast that.
    while (waited.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        if (platform::BoxWaitCancelled() || applicationEnding.load() ||
            QCoreApplication::closingDown()) {
            return;
        }
    }
}

}  // namespace

void ShowCriticalBox(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZAVEL"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void InstallMessageBoxPresenter(BoxShower show) {
    applicationEnding.store(false);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QObject::connect(app, &QCoreApplication::aboutToQuit,
                         [] { applicationEnding.store(true); });
    }
    platform::SetMessageBoxPresenter(
        [show = std::move(show)](const std::string& text) { Present(show, text); });
}

}  // namespace zavel
