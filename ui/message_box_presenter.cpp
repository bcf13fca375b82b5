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

void Present(const BoxShower& show, const std::string& utf8, platform::BoxIcon icon) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || applicationEnding.load()) {
        return;
    }
    if (QThread::currentThread() == app->thread()) {
        show(text, icon);
        return;
    }
    auto dismissed = std::make_shared<std::promise<void>>();
    std::future<void> waited = dismissed->get_future();
    QMetaObject::invokeMethod(
        app,
        [show, text, icon, dismissed] {
            show(text, icon);
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

void ShowRealBox(const QString& text, platform::BoxIcon icon) {
    const QMessageBox::Icon shown =
        icon == platform::BoxIcon::kError ? QMessageBox::Critical : QMessageBox::NoIcon;
    QMessageBox box(shown, QStringLiteral("ZAVEL"), text, QMessageBox::Ok,
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
        [show = std::move(show)](const std::string& text, platform::BoxIcon icon) {
            Present(show, text, icon);
        });
}

}  // namespace zavel
