// The main window's information features: the About panel, the help, and the two contact lines
// of the start screen, which start the mail program or the web browser when clicked.
#include "platform/help_file.h"
#include "platform/mail_command.h"
#include "platform/shell.h"
#include "ui/about_panel.h"
#include "ui/branding.h"
#include "ui/help_viewer.h"
#include "ui/main_frame.h"
#include "ui/resources.h"

namespace zavel {
namespace {

// Whether `point` lies in `area` as the platform counts it: the left and top edges inside, the
// right and bottom edges outside. (QRect::contains would count its right and bottom edges.)
bool PtInRect(const QRect& area, QPoint point) {
    return point.x() >= area.left() && point.x() < area.left() + area.width() &&
           point.y() >= area.top() && point.y() < area.top() + area.height();
}

}  // namespace

void MainFrame::OnAbout() {
    AboutPanel panel(this);
    panel.exec();
}

void MainFrame::OnHelp() {
    if (helpViewer == nullptr) {
        helpViewer = new HelpViewer(this);
    }
    helpViewer->ShowTopic(QString::fromStdString(helpFile), platform::kHelpContextTopic);
}

void MainFrame::OnMouseMove(QPoint point) {
    // The install screen has no contact lines, and they go with the start screen.
    if (installMode != 0 || !memoryDC || startScreenCleared != 0) {
        return;
    }
    const bool overLink = PtInRect(mailLinkRect, point) || PtInRect(webLinkRect, point);
    const QCursor wanted = overLink ? LinkCursor() : QCursor(Qt::ArrowCursor);
    // Set only when it differs; it stays as set until the next movement.
    if (clientArea->cursor().shape() != wanted.shape()) {
        clientArea->setCursor(wanted);
    }
}

void MainFrame::OnLButtonDown(QPoint point) {
    if (installMode != 0 || !memoryDC || startScreenCleared != 0) {
        return;
    }
    // The two lines do not overlap: a click starts one program at most. A missing handler or
    // a program that does not start is not reported.
    if (PtInRect(mailLinkRect, point)) {
        platform::StartMailProgram(MakerMailAddress().toStdString());
    } else if (PtInRect(webLinkRect, point)) {
        platform::OpenInWebBrowser(ProductWebAddress().toStdString());
    }
}

}  // namespace zavel
