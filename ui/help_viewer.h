// The program's help engine: one window, owned by the main window, that shows the HTML help
// file at a topic (the anchor named after the topic's context number). Links inside the file
// are followed in the window; a web address opens in the desktop's browser. A help file that
// is missing or cannot be read is reported in the window itself.
#pragma once

#include <QString>
#include <QTextBrowser>

namespace zavel {

class HelpViewer : public QTextBrowser {
  public:
    explicit HelpViewer(QWidget* owner);

    // Shows the window, raised and active, with `helpFile` at the topic `context`; the file is
    // read again each time. Returns false, with the report in the window, when the file
    // cannot be read.
    bool ShowTopic(const QString& helpFile, int context);

    // The report shown instead of the file, empty while the file is shown.
    const QString& report() const { return report_; }

  private:
    void FollowLink(const QUrl& link);

    QString report_;
};

}  // namespace zavel
