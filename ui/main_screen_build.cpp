// The build of the main screen: the message the window posts itself in normal mode.
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "engine/page_fetcher.h"
#include "platform/system_directories.h"
#include "ui/backdrop.h"
#include "ui/control_layout.h"
#include "ui/main_frame.h"

namespace zavel {
namespace {

constexpr int kStatusUpdateMilliseconds = 50;

// A control gets the control font, is enabled and shown.
template <typename Control>
Control* Ready(Control* control, const QFont& font) {
    control->setFont(font);
    control->setEnabled(true);
    control->show();
    return control;
}

OwnEdit* MakeEdit(QWidget* parent, const QFont& font, bool tabStop) {
    auto* edit = Ready(new OwnEdit(parent), font);
    // Without a tab stop a field is reached by clicking it only.
    edit->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    edit->setText(QString());
    return edit;
}

PictureButton* MakeButton(QWidget* parent, const char* text, int id, ButtonPictures pictures) {
    auto* button = new PictureButton(QString::fromLatin1(text), id, pictures, parent);
    button->setEnabled(true);
    button->show();
    return button;
}

}  // namespace

void MainFrame::OnBuildMainScreen() {
    if (installMode != 0 || memoryDC) {
        return;
    }
    toolWindowOpen = 0;
    toolWindowOffset = 0;
    startScreenCleared = 0;

    // The picture is as large as the display and stays so; the window shows its top-left part.
    const QScreen* screen = QGuiApplication::primaryScreen();
    screenRect = QRect(QPoint(0, 0), screen != nullptr ? screen->geometry().size() : size());
    offscreenPicture = QImage(screenRect.size(), QImage::Format_RGB32);
    offscreenPicture.fill(kWhite);
    memoryDC = std::make_unique<MemoryDC>(offscreenPicture);

    // A fresh table (no records, no current index, no roots) and a clear stop request.
    engine = std::make_unique<CrawlEngine>(programDir);

    controlFont = zavel::ControlFont();  // the drawing font, not the owner accessor
    memoryDC->SelectFont(controlFont);

    menu = BuildMainMenu(menuBar());

    PaintBackdrop(*memoryDC, layoutWidth, layoutHeight);

    tree = Ready(new LinkTreeControl(this, clientArea), controlFont);
    tree->setGeometry(QRect());
    tree->SetStateImages(BuildStateImages());
    treePresenter = std::make_unique<TreePresenter>(tree);
    // The worker's refresh request brings on an update of the progress display.
    treePresenter->SetRefreshHandler([this] { OnUpdateStatusPane(); });

    statusBarOn = 1;
    statusBar = QMainWindow::statusBar();
    statusPane = new QLabel(statusBar);
    statusPane->setObjectName(QStringLiteral("pane%1").arg(kStatusPaneId));
    // The pane shows what fits of its text (the idle banner alone is 1020 characters): the
    // text never widens the window.
    statusPane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusPane->setMinimumWidth(1);
    statusBar->addWidget(statusPane, 1);
    statusPane->setEnabled(statusBarOn != 0);
    statusBar->show();
    lastStatusCode = 0;

    addButton = MakeButton(clientArea, "add", kAddButtonId, {263, 226, 0, 272});
    removeButton = MakeButton(clientArea, "remove", kRemoveButtonId, {264, 265, 0, 274});
    expandButton = MakeButton(clientArea, "expand", kExpandButtonId, {266, 267, 0, 273});
    stopButton = MakeButton(clientArea, "stop", kStopButtonId, {268, 269, 0, 276});
    saveAsButton = MakeButton(clientArea, "save as...", kSaveAsButtonId, {271, 270, 0, 275});

    addressEdit = MakeEdit(clientArea, controlFont, true);
    DrawLabel(*memoryDC, QStringLiteral("Address:"), 5, 15);

    getRadio = Ready(new QRadioButton(QStringLiteral("get"), clientArea), controlFont);
    copyRadio = Ready(new QRadioButton(QStringLiteral("copy"), clientArea), controlFont);
    rewriteCheck = Ready(new QCheckBox(QStringLiteral("rewrite"), clientArea), controlFont);
    sortCheck = Ready(new QCheckBox(QStringLiteral("sort"), clientArea), controlFont);
    copyDirectoryCheck =
        Ready(new QCheckBox(QStringLiteral("copy directory"), clientArea), controlFont);
    showExpandedCheck =
        Ready(new QCheckBox(QStringLiteral("show expanded"), clientArea), controlFont);

    DrawLabel(*memoryDC, QStringLiteral("Different Servers Link Expansion Level:"), 80, 71);
    DrawLabel(*memoryDC, QStringLiteral("Maximum Expansion Level:"), 450, 71);

    foreignLevelEdit = MakeEdit(clientArea, controlFont, true);
    maxLevelEdit = MakeEdit(clientArea, controlFont, true);
    // The level fields do not scroll: they take as many characters as they show.
    foreignLevelEdit->SetTypedLengthLimit(kForeignLevelCharacters);
    maxLevelEdit->SetTypedLengthLimit(kMaxLevelCharacters);
    destinationEdit = MakeEdit(clientArea, controlFont, true);

    browseButton = MakeButton(clientArea, "browse", kBrowseButtonId, {277, 279, 0, 278});

    DrawLabel(*memoryDC, QStringLiteral("Destination Directory:"), 550, 44);
    DrawLabel(*memoryDC, QStringLiteral("File Type: "), 720, 71);

    fileTypeEdit = MakeEdit(clientArea, controlFont, false);

    clientArea->setCursor(Qt::ArrowCursor);

    SetOuterGeometry(QRect(0, 0, 1024, 700));
    raise();
    show();

    addButton->setEnabled(true);
    for (PictureButton* idle : {removeButton, expandButton, stopButton, saveAsButton}) {
        idle->setEnabled(false);
    }
    canAdd = 1;
    canRemove = 0;
    canExpand = 0;
    canStop = 0;
    canSaveAs = 0;

    // The built-in destination is the user's home folder.
    destinationText = std::make_shared<SharedText>(platform::HomeDirectory());
    fileTypeText = std::make_shared<const std::string>("*.*");
    LoadSettings();

    ConnectCommands();
    engine->StartWorker();
    // The progress display is updated twenty times a second, and after every refresh request.
    statusTimer = new QTimer(this);
    statusTimer->setInterval(kStatusUpdateMilliseconds);
    connect(statusTimer, &QTimer::timeout, this, &MainFrame::OnUpdateStatusPane);
    statusTimer->start();
    OnUpdateStatusPane();

    DrawStartScreen(*memoryDC, mailLinkRect, webLinkRect);

    PlaceControls();
    clientArea->update();
}

}  // namespace zavel
