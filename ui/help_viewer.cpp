#include "ui/help_viewer.h"

#include <QFile>
#include <QFileInfo>

#include "platform/shell.h"

namespace zavel {
namespace {

constexpr QSize kViewerSize{720, 640};
constexpr int kPageMargin = 12;

QString ReportPage(const QString& helpFile, const QString& reason) {
    return QStringLiteral(
               "<h2>ZAVEL Help</h2><p>The help file <b>%1</b> could not be opened: "
               "%2.</p><p>It belongs beside the program file; installing ZAVEL again "
               "puts it there.</p>")
        .arg(helpFile.toHtmlEscaped(), reason.toHtmlEscaped());
}

}  // namespace

HelpViewer::HelpViewer(QWidget* owner) : QTextBrowser(owner) {
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("helpViewer"));
    setWindowTitle(QStringLiteral("ZAVEL Help"));
    resize(kViewerSize);
    document()->setDocumentMargin(kPageMargin);
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpViewer::FollowLink);
}

bool HelpViewer::ShowTopic(const QString& helpFile, int context) {
    // Tried first: the browser itself would show an empty page without a word.
    const QFileInfo info(helpFile);
    QFile file(helpFile);
    QString reason;
    if (!info.exists()) {
        reason = QStringLiteral("there is no such file");
    } else if (!info.isFile()) {
        reason = QStringLiteral("it is not a file");
    } else if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
    }
    file.close();

    if (reason.isEmpty()) {
        report_.clear();
        QUrl topic = QUrl::fromLocalFile(helpFile);
        topic.setFragment(QString::number(context));
        if (source().adjusted(QUrl::RemoveFragment) == topic.adjusted(QUrl::RemoveFragment)) {
            reload();  // the file may have changed since
        }
        setSource(topic);
        const QString title = documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("ZAVEL Help") : title);
    } else {
        report_ = ReportPage(helpFile, reason);
        setSource(QUrl());
        setHtml(report_);
        setWindowTitle(QStringLiteral("ZAVEL Help"));
    }
    show();
    raise();
    activateWindow();
    return report_.isEmpty();
}

void HelpViewer::FollowLink(const QUrl& link) {
    const QUrl target = source().resolved(link);
    if (target.isLocalFile() || target.scheme().isEmpty()) {
        setSource(target);
    } else if (target.scheme() == QLatin1String("http")) {
        // The browser puts "http://" before the address it is given.
        platform::OpenInWebBrowser(target.toString(QUrl::RemoveScheme).mid(2).toStdString());
    }
}

}  // namespace zavel
