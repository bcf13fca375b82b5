// The installer screen: the content of the main window in install mode. It offers the
// destination folder in an edit field, a browse button that opens the directory chooser, and
// the Install button, whose procedure unpacks the program, records the install folder and has
// the setup engine install it. It is built once, on the installer message, into the window's
// own fields (the off-screen picture, the control font, the destination edit and the browse
// button), so the window's paint step shows it as it shows the main screen.
#pragma once

#include <QString>

#include <string>

#include "install/install_procedure.h"
#include "ui/own_controls.h"
#include "ui/tool_window_owner.h"

namespace zavel {

class MainFrame;

inline constexpr int kInstallButtonId = 117;

class InstallerWindow : public ToolWindowOwner {
  public:
    explicit InstallerWindow(MainFrame& frame);
    InstallerWindow(const InstallerWindow&) = delete;
    InstallerWindow& operator=(const InstallerWindow&) = delete;

    // The installer message's handler: draws the screen and makes the three controls.
    void Build();
    // Button 114: the directory chooser, titled "Choose Directory", on the edit's folder.
    void OnBrowse();
    // Button 117: the install procedure. Ends the program when the install succeeded.
    void OnInstall();

    // The tool windows' view of the installer screen.
    QWidget* OwnerWindow() override;
    bool IsToolWindowOpen() const override;
    void SetToolWindowOpen(bool open) override;
    int& ToolWindowOffset() override;
    QFont ControlFont() const override;
    std::string ProgramDir() const override { return {}; }
    bool InInstallMode() const override { return true; }
    QLineEdit* DestinationEdit() override;
    std::string DestinationText() const override { return destinationText; }
    void SetDestinationText(const std::string& text) override { destinationText = text; }

    // The destination buffer: filled from the edit by browse and Install; until then the
    // home folder, which is never shown.
    std::string destinationText;
    PictureButton* installButton = nullptr;
    // Where the procedure takes the program from and looks for the setup engine.
    InstallSources sources;
    // True while the setup engine runs.
    bool waitingForSetup = false;

  private:
    // Lets the window paint, but takes no input, until the setup engine has ended. Gives up
    // (kRunning) only when the application ends meanwhile.
    SetupEngineProcess::State WaitForSetupEngine(SetupEngineProcess& engine);

    MainFrame& frame_;
};

}  // namespace zavel
