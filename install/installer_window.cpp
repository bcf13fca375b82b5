#include "install/installer_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "install/installer_screen.h"
#include "platform/message_box.h"
#include "platform/system_directories.h"
#include "ui/backdrop.h"
#include "ui/editor_list_box.h"
#include "ui/list_editor_window.h"
#include "ui/main_frame.h"
#include "ui/main_menu.h"

namespace zavel {
namespace {

// The edit's text is taken up to 199 bytes, never cutting a character in two.
constexpr std::size_t kDestinationBytes = 199;
constexpr int kPollMilliseconds = 20;

std::string DestinationOf(const QLineEdit* edit) {
    std::string text = PathFromDisplay(edit->text());
    if (text.size() > kDestinationBytes) {
        std::size_t cut = kDestinationBytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        text.resize(cut);
    }
    return text;
}

PictureButton* MakeButton(QWidget* parent, const char* text, int id, ButtonPictures pictures,
                          const QRect& place) {
    auto* button = new PictureButton(QString::fromLatin1(text), id, pictures, parent);
    button->setGeometry(place);
    button->setEnabled(true);
    button->show();
    return button;
}

}  // namespace

InstallerWindow::InstallerWindow(MainFrame& frame)
    : destinationText(platform::HomeDirectory()), frame_(frame) {
    sources.windowsDir = frame.windowsDir;
    sources.startDir = frame.startDir;
}

void InstallerWindow::Build() {
    frame_.toolWindowOpen = 0;

    const QScreen* screen = QGuiApplication::primaryScreen();
    frame_.screenRect =
        QRect(QPoint(0, 0), screen != nullptr ? screen->geometry().size() : frame_.size());
    frame_.offscreenPicture = QImage(frame_.screenRect.size(), QImage::Format_RGB32);
    frame_.offscreenPicture.fill(kInstallerBackground);
    auto dc = std::make_unique<MemoryDC>(frame_.offscreenPicture);
    DrawInstallerScreen(*dc);
    frame_.controlFont = dc->font();

    QWidget* client = frame_.clientArea;
    auto* edit = new OwnEdit(client);
    edit->setGeometry(kDestinationEditRect);
    edit->setFont(frame_.controlFont);
    // The field is as high as its font: the frame takes no room from the text.
    edit->setTextMargins(0, 0, 0, 0);
    edit->setStyleSheet(
        QStringLiteral("QLineEdit { border: 1px solid black; padding: 0px; "
                       "background: white; color: black; }"));
    edit->setEnabled(true);
    edit->show();
    // The proposed destination is the Windows directory, which a machine that never ran ZAVEL
    // does not have yet: made now, it can be entered, browsed from and installed into.
    platform::CreateWindowsDirectory();
    edit->setText(PathToDisplay(frame_.windowsDir));
    frame_.destinationEdit = edit;

    frame_.browseButton =
        MakeButton(client, "browse", kBrowseButtonId, {277, 279, 0, 278}, kBrowseButtonRect);
    QObject::connect(frame_.browseButton, &QAbstractButton::clicked, client,
                     [this] { OnBrowse(); });
    installButton =
        MakeButton(client, "ok", kInstallButtonId, {281, 283, 0, 283}, kInstallButtonRect);
    QObject::connect(installButton, &QAbstractButton::clicked, client, [this] { OnInstall(); });

    // The paint step shows the screen once the picture has its context.
    frame_.memoryDC = std::move(dc);
    client->update();
}

void InstallerWindow::OnBrowse() {
    OpenDirectoryChooser(this);
}

void InstallerWindow::OnInstall() {
    // A press while the setup engine runs would start a second install over the first.
    if (waitingForSetup) {
        return;
    }
    destinationText = DestinationOf(frame_.destinationEdit);
    std::optional<SetupEngineProcess> engine = StartInstall(destinationText, sources);
    if (!engine) {
        return;
    }
    const SetupEngineProcess::State end = WaitForSetupEngine(*engine);
    if (end == SetupEngineProcess::State::kRunning) {
        return;  // the program is ending; nothing is left to report to
    }
    // The setup engine says whether it installed anything; its failure is no success.
    if (end == SetupEngineProcess::State::kFailed) {
        platform::ShowErrorBox(kSetupEngineFailedMessage);
        return;
    }
    platform::ShowMessageBox(kInstalledMessage, platform::BoxIcon::kNone);
    frame_.DestroyWindow();
}

SetupEngineProcess::State InstallerWindow::WaitForSetupEngine(SetupEngineProcess& engine) {
    SetupEngineProcess::State state = engine.Poll();
    if (state != SetupEngineProcess::State::kRunning) {
        return state;
    }
    waitingForSetup = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        state = engine.Poll();
        if (state != SetupEngineProcess::State::kRunning) {
            loop.quit();
        }
    });
    poll.start(kPollMilliseconds);
    // Paints and timers go on; clicks, keys and the close box wait until the engine is done.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    poll.stop();
    QApplication::restoreOverrideCursor();
    waitingForSetup = false;
    return state;
}

QWidget* InstallerWindow::OwnerWindow() {
    return &frame_;
}

bool InstallerWindow::IsToolWindowOpen() const {
    return frame_.toolWindowOpen != 0;
}

void InstallerWindow::SetToolWindowOpen(bool open) {
    frame_.toolWindowOpen = open ? 1 : 0;
}

int& InstallerWindow::ToolWindowOffset() {
    return frame_.toolWindowOffset;
}

QFont InstallerWindow::ControlFont() const {
    return frame_.controlFont;
}

QLineEdit* InstallerWindow::DestinationEdit() {
    return frame_.destinationEdit;
}

}  // namespace zavel
