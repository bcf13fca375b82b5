#include "ui/main_app.h"

#include "platform/message_box.h"
#include "ui/main_frame.h"
#include "ui/message_box_presenter.h"

namespace zavel {

MainApp::MainApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("zavel"));
}

MainApp::~MainApp() {
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

}  // namespace zavel
