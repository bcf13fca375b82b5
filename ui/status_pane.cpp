// The progress display: the status pane and the window title follow the crawl. Nothing pushes
// text here; the display reads the crawl's state at every update (a timer, and the worker's
// refresh requests).
#include "engine/page_fetcher.h"
#include "engine/progress_text.h"
#include "ui/control_text.h"
#include "ui/main_frame.h"
#include "ui/resources.h"

namespace zavel {
namespace {

const QString& IdleBanner() {
    static const QString banner = LoadString(kIdleBannerString);
    return banner;
}

}  // namespace

void MainFrame::OnUpdateStatusPane() {
    if (!engine || statusPane == nullptr) {
        return;
    }
    // A disabled pane shows no text; its text comes back when it is enabled again.
    const bool on = statusBarOn == 1;
    if (statusPane->isEnabled() != on) {
        statusPane->setEnabled(on);
        statusPane->setText(on ? paneText_ : QString());
    }

    const LinkTable& table = engine->table();
    const int count = table.Count();
    if (count == 0) {
        SetPaneText(IdleBanner());
        return;
    }
    // Each value is read once; a display may combine values of slightly different moments.
    const LinkRecord* current = table.currentRecord.load();
    const int index = table.currentIndex.load();
    if (current == nullptr || index == kNoCurrentIndex) {
        return;  // nothing being expanded: the pane and the title keep their last texts
    }
    SetPaneText(ToControl(ProgressText(lastStatusCode.load(), *current, index, count)));
    const QString title = QStringLiteral("ZAVEL [") + ToControl(current->host) + QLatin1Char(']');
    if (windowTitle() != title) {
        setWindowTitle(title);
    }
}

void MainFrame::SetPaneText(const QString& text) {
    if (text == paneText_) {
        return;
    }
    paneText_ = text;
    if (statusBarOn == 1) {
        statusPane->setText(text);
    }
}

}  // namespace zavel
