#include "ui/main_frame.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

#include "install/installer_window.h"
#include "lists/install_location.h"
#include "platform/help_file.h"
#include "platform/system_directories.h"
#include "ui/backdrop.h"
#include "ui/problems_window.h"
#include "ui/resources.h"

namespace zavel {
namespace {

constexpr QRect kFirstPlace{0, 0, 1024, 600};  // where the main window first appears
constexpr QSize kInstallerSize{500, 300};
const QColor kInstallerBackground(128, 0, 0);

// The client area: everything below the menu and above the status bar. It shows the
// off-screen picture; the controls are its children.
class ClientArea : public QWidget {
  public:
    ClientArea(MainFrame* frame, QColor background) : QWidget(frame), frame_(frame) {
        QPalette colours = palette();
        colours.setColor(QPalette::Window, background);
        setPalette(colours);
        setAutoFillBackground(true);
        // Every movement counts, not only those with a button held.
        setMouseTracking(true);
    }

  protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        frame_->OnPaint(painter);
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        QWidget::mouseMoveEvent(event);
        frame_->OnMouseMove(event->position().toPoint());
    }

    void mousePressEvent(QMouseEvent* event) override {
        QWidget::mousePressEvent(event);
        if (event->button() == Qt::LeftButton) {
            frame_->OnLButtonDown(event->position().toPoint());
        }
    }

  private:
    MainFrame* frame_;
};

}  // namespace

MainFrame::MainFrame() {
    windowsDir = platform::WindowsDirectory();
    helpFile = platform::HelpFilePath(platform::ProgramFile());
    startDir = platform::CurrentDirectory();

    // The mode is decided here, once; nothing switches it later.
    if (std::optional<std::string> installed = ReadInstallLocation(windowsDir)) {
        programDir = std::move(*installed);
    } else {
        installMode = 1;
    }

    setWindowIcon(ProgramIcon());
    clientArea = new ClientArea(this, installMode != 0 ? kInstallerBackground : QColor(kWhite));
    setCentralWidget(clientArea);

    if (installMode == 0) {
        setWindowTitle(QStringLiteral("ZAVEL"));
        SetOuterGeometry(kFirstPlace);
        show();
        // The frame is known once the window is shown: place it again so the outer size holds.
        SetOuterGeometry(kFirstPlace);
        QMetaObject::invokeMethod(this, &MainFrame::OnBuildMainScreen, Qt::QueuedConnection);
        return;
    }

    const QSize fullScreen = FullScreenSize();
    layoutWidth = fullScreen.width();
    layoutHeight = fullScreen.height();
    setWindowTitle(QStringLiteral("Installing Zavel"));
    // A border, a caption and a close box: the installer window is not resized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const QRect centred((layoutWidth - kInstallerSize.width()) / 2,
                        (layoutHeight - kInstallerSize.height()) / 2, kInstallerSize.width(),
                        kInstallerSize.height());
    SetOuterGeometry(centred);
    show();
    // The frame is known once the window is shown: place it again so the outer size holds.
    SetOuterGeometry(centred);
    setFixedSize(size());
    QMetaObject::invokeMethod(this, &MainFrame::OnBuildInstallScreen, Qt::QueuedConnection);
}

MainFrame::~MainFrame() {
    // Destroyed without being closed (the application ended first): the run still ends as
    // every run does, with the settings saved and the worker ended before the controls go.
    EndRun();
}

void MainFrame::OnBuildInstallScreen() {
    if (installMode == 0 || installer) {
        return;
    }
    installer = std::make_unique<InstallerWindow>(*this);
    installer->Build();
}

void MainFrame::DestroyWindow() {
    EndRun();
    close();
}

void MainFrame::EndRun() {
    if (runEnded_) {
        return;
    }
    runEnded_ = true;
    if (problemsWindow != nullptr) {
        problemsWindow->close();
    }
    if (settingsRecord) {
        SaveSettings(settingsRecord.get());
    }
    // The worker reports to the tree and the window; it must be gone before they are.
    if (engine) {
        engine->FinishRun();
    }
}

void MainFrame::closeEvent(QCloseEvent* event) {
    EndRun();
    event->accept();
}

void MainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    PlaceControls();
}

QSize MainFrame::OuterSize() const {
    return frameGeometry().size();
}

void MainFrame::SetOuterGeometry(const QRect& outer) {
    const QRect inner = geometry();
    const QRect frame = frameGeometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                           frame.right() - inner.right(), frame.bottom() - inner.bottom());
    setGeometry(outer.marginsRemoved(margins));
}

void MainFrame::OnPaint(QPainter& painter) {
    if (!memoryDC) {
        return;
    }
    const QSize outer = OuterSize();
    layoutWidth = outer.width();
    layoutHeight = outer.height();
    painter.drawImage(QPoint(0, 0), offscreenPicture, QRect(QPoint(0, 0), outer));
}

}  // namespace zavel
