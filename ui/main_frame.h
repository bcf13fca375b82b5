// The program's one window. Its constructor decides once whether the program is installed: an
// installed program builds its main screen (controls, settings, the crawl worker and the start
// screen) from a message it posts to itself; otherwise the window is the installer's.
// The fields are the window's state as the command handlers, the tree and the tests reach it:
// every control through its field, never by its id.
#pragma once

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>

#include <memory>
#include <string>

#include "engine/crawl_engine.h"
#include "ui/link_tree_control.h"
#include "ui/main_menu.h"
#include "ui/memory_dc.h"
#include "ui/own_controls.h"
#include "ui/save_as.h"
#include "ui/tool_window_owner.h"
#include "ui/tree_presenter.h"

namespace zavel {

class HelpViewer;
class ProblemsWindow;
class InstallerWindow;
class MainApp;

class MainFrame : public QMainWindow, public ToolWindowOwner {
  public:
    MainFrame();
    ~MainFrame() override;
    MainFrame(const MainFrame&) = delete;
    MainFrame& operator=(const MainFrame&) = delete;

    // Builds every control, draws the backdrop, loads the settings, starts the worker and draws
    // the start screen. Runs once, from the message the constructor posts in normal mode.
    void OnBuildMainScreen();
    // The installer message: the installer screen is built here.
    void OnBuildInstallScreen();
    // Ends the window: saves the settings (normal mode), ends the worker, closes. Every way of
    // ending comes here: Quit, the close box, the end of an install, the window's destruction.
    void DestroyWindow();

    // The settings file and the controls (settings_transfer.cpp).
    void LoadSettings();
    void ShowSettings(const LinkRecord* record);
    void SaveSettings(const LinkRecord* record);

    // Copies the off-screen picture onto the client area (the paint step).
    void OnPaint(QPainter& painter);
    // Puts every control where the layout places it for the window's outer size now.
    void PlaceControls();
    // Replaces the start screen by the plain gradient (the first Add).
    void ClearStartArea();

    // --- The tree (tree_browsing.cpp) ---
    // The Add command: a new root from the address field and the settings controls.
    void AddRoot();
    // A mouse click in the tree, after the tree has selected the clicked item: the item's
    // settings and address are shown and the commands that act on it are made available.
    void OnTreeClick();
    // Explore and the double click: the selected item's address in the web browser.
    void OpenInBrowser();

    // --- The link commands on the selected subtree (link_commands.cpp) ---
    void OnRemove();
    void OnExpand();
    void OnStop();
    // Sets the five command flags and enables the five command buttons to match.
    void ApplyCommandStates(const CommandStates& states);

    // --- The command table (command_table.cpp) ---
    // Connects the menu items, the buttons and the accelerators to their commands.
    void ConnectCommands();
    // Carries out a menu or accelerator command, unless its rule says it is disabled now.
    void RunCommand(int id);
    bool CommandEnabled(int id) const;
    // Whether the command's menu item shows a check mark now (false for the unchecked kind).
    bool CommandChecked(int id) const;
    // Gives every menu item the enabled and checked state its rule says now.
    void UpdateCommandStates();
    // Commands carried out by other windows of the program; they connect here.
    void OnSaveAs();
    void OnBrowse();
    void OnWordListCommand(int id);

    // --- The crawl report (report_commands.cpp) ---
    // Writes the table as CSV or sitemap into a file chosen with the save dialog.
    void OnExport();
    // Opens the problems window, or brings it to the front.
    void OnProblems();
    // Selects the tree item as a left click on it would (the problems window's double click).
    void SelectTreeItem(TreeItemId id);

    // --- About, help and the start screen's contact lines (about_help_commands.cpp) ---
    // Shows the About panel modally; returns when it is closed.
    void OnAbout();
    // Opens the help file at its first topic in the one help viewer.
    void OnHelp();
    // The pointer moved to `point` of the client area: over a contact line of the start
    // screen it becomes the link cursor, elsewhere the arrow.
    void OnMouseMove(QPoint point);
    // The left button went down at `point` of the client area: the e-mail line starts the
    // mail program, the web line the browser.
    void OnLButtonDown(QPoint point);

    // --- What the word-list editors and the directory chooser need (tool_window_commands.cpp)
    QWidget* OwnerWindow() override { return this; }
    bool IsToolWindowOpen() const override { return toolWindowOpen != 0; }
    void SetToolWindowOpen(bool open) override;
    int& ToolWindowOffset() override { return toolWindowOffset; }
    QFont ControlFont() const override { return controlFont; }
    std::string ProgramDir() const override { return programDir; }
    bool InInstallMode() const override { return installMode != 0; }
    QLineEdit* DestinationEdit() override { return destinationEdit; }
    std::string DestinationText() const override;
    void SetDestinationText(const std::string& text) override;

    // --- Progress (status_pane.cpp) ---
    // The status pane's text and enabled state and the window title, from the crawl's state.
    void OnUpdateStatusPane();

    // The window's outer size: its whole rectangle with frame and caption.
    QSize OuterSize() const;
    // Places the window so that its outer rectangle is `outer`.
    void SetOuterGeometry(const QRect& outer);

    // --- State ---
    MainApp* app = nullptr;
    std::string startDir;    // the current directory at construction
    std::string windowsDir;  // where the install record lies, no trailing "/"
    std::string programDir;  // the install folder, ending with "/"; empty in install mode
    int toolWindowOpen = 0;
    int toolWindowOffset = 0;
    int installMode = 0;
    // The start screen's contact lines: left and top edges inside, right and bottom outside.
    QRect mailLinkRect;
    QRect webLinkRect;
    // The help file: the program file's path with the extension ".hlp".
    std::string helpFile;
    HelpViewer* helpViewer = nullptr;  // made by the first Help command, then reused
    // Made by the first Problems command, then reused.
    ProblemsWindow* problemsWindow = nullptr;
    // The link table, the stop request and the worker thread.
    std::unique_ptr<CrawlEngine> engine;
    MainMenu menu;
    QFont controlFont;
    QRect screenRect;
    QImage offscreenPicture;
    std::unique_ptr<MemoryDC> memoryDC;  // null until the screen is built
    QWidget* clientArea = nullptr;       // the client area that shows the picture
    LinkTreeControl* tree = nullptr;
    // Carries out on the tree what the crawl reports; the records' tree.
    std::unique_ptr<TreePresenter> treePresenter;
    QStatusBar* statusBar = nullptr;
    QLabel* statusPane = nullptr;   // pane 11
    QTimer* statusTimer = nullptr;  // the progress display's updates
    // The Save As dialog; tests put their own in its place.
    SaveDialog saveDialog = StandardSaveDialog;
    int layoutWidth = 0;
    int layoutHeight = 0;
    // The destination the next root receives; the directory chooser changes it in place, so
    // the latest root's crawl copies into the newly chosen folder.
    std::shared_ptr<SharedText> destinationText;
    std::shared_ptr<const std::string> fileTypeText;
    int startScreenCleared = 0;
    std::unique_ptr<LinkRecord> settingsRecord;
    int statusBarOn = 0;
    // The offline-links option the next root receives; it has a menu item and no box.
    int offlineLinksOn = 0;
    // Program-wide, not a root's setting: loaded at start-up, saved at exit.
    int requestsAtOnce = 6;
    int canAdd = 0;
    int canRemove = 0;
    int canSaveAs = 0;
    int canExpand = 0;
    int canStop = 0;
    PictureButton* addButton = nullptr;
    PictureButton* removeButton = nullptr;
    PictureButton* expandButton = nullptr;
    PictureButton* stopButton = nullptr;
    PictureButton* saveAsButton = nullptr;
    PictureButton* browseButton = nullptr;
    QRadioButton* getRadio = nullptr;
    QRadioButton* copyRadio = nullptr;
    QCheckBox* rewriteCheck = nullptr;
    QCheckBox* sortCheck = nullptr;
    QCheckBox* copyDirectoryCheck = nullptr;
    QCheckBox* showExpandedCheck = nullptr;
    OwnEdit* addressEdit = nullptr;
    OwnEdit* foreignLevelEdit = nullptr;
    OwnEdit* maxLevelEdit = nullptr;
    OwnEdit* destinationEdit = nullptr;
    OwnEdit* fileTypeEdit = nullptr;
    // Install mode: the installer screen, built by the installer message.
    std::unique_ptr<InstallerWindow> installer;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // Saves the settings (normal mode) and ends the worker, once per run.
    void EndRun();
    // The pane's text, kept while the pane is disabled and shown again when it is enabled.
    void SetPaneText(const QString& text);
    // The record behind the tree's selected item, or nullptr; `item` receives the item.
    LinkRecord* SelectedRecord(QTreeWidgetItem** item = nullptr) const;
    // Makes the settings record hold `settings` (an Add, a tree click).
    void CopyToSettingsRecord(const CrawlSettings& settings);

    bool runEnded_ = false;
    QString paneText_;
};

}  // namespace zavel
