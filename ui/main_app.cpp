#include "ui/main_app.h"

#include <QFileInfo>

#include "platform/help_file.h"
#include "platform/message_box.h"
#include "ui/help_viewer.h"
#include "ui/main_frame.h"
#include "ui/message_box_presenter.h"

namespace zavel {

MainApp::MainApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("zavel"));
}

MainApp::~MainApp() {
    helpViewer_.reset();
    frame_.reset();
    // Boxes after this point go to standard error rather than to an application that is gone.
    platform::SetMessageBoxPresenter({});
}

bool MainApp::InitInstance() {
    InstallMessageBoxPresenter();
    frame_ = std::make_unique<MainFrame>();
    frame_->app = this;
    return true;
}

std::optional<QString> MainApp::HelpFileArgument() {
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2 ||
        !arguments[1].endsWith(QStringLiteral(".hlp"), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    return arguments[1];
}

int MainApp::RunHelpEngine(const QString& helpFile) {
    helpViewer_ = std::make_unique<HelpViewer>(nullptr);
    helpViewer_->ShowTopic(QFileInfo(helpFile).absoluteFilePath(), platform::kHelpContextTopic);
    return exec();
}

}  // namespace zavel
