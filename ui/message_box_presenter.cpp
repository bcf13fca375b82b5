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

// One installed presenter. A box queued for the user-interface thread holds it only weakly: a
// caller that stopped waiting leaves its box in the queue, and once the presenter has been
// replaced that box must not reach the shower it was queued for, whose owner may be gone.
struct Installation {
    BoxShower show;
};

void Present(const std::shared_ptr<const Installation>& installation, const std::string& utf8,
             platform::BoxIcon icon) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || applicationEnding.load()) {
        return;
    }
    if (QThread::currentThread() == app->thread()) {
        installation->show(text, icon);
        return;
    }
    auto dismissed = std::make_shared<std::promise<void>>();
    std::future<void> waited = dismissed->get_future();
    QMetaObject::invokeMethod(
        app,
        [weak = std::weak_ptr<const Installation>(installation), text, icon, dismissed] {
            if (const std::shared_ptr<const Installation> current = weak.lock()) {
                current->show(text, icon);
            }
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
    // The presenter function is the installation's only strong owner besides the callers
    // inside it: replacing the presenter ends the installation once they have returned.
    auto installation = std::make_shared<const Installation>(Installation{std::move(show)});
    platform::SetMessageBoxPresenter(
        [installation](const std::string& text, platform::BoxIcon icon) {
            Present(installation, text, icon);
        });
}

}  // namespace zavel
