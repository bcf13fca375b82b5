// The application object: it creates the one main window and deletes it, if it still has it,
// when the program ends.
#pragma once

#include <QApplication>

#include <memory>
#include <optional>

namespace zavel {

class HelpViewer;
class MainFrame;

class MainApp : public QApplication {
  public:
    MainApp(int& argc, char** argv);
    ~MainApp() override;

    // Shows error boxes through the user-interface thread and creates the main window.
    bool InitInstance();
    MainFrame* mainFrame() const { return frame_.get(); }

    // The help file the program was given as its one argument (a name ending in ".hlp"), the
    // toolkit's own options left aside; nullopt for every other command line.
    static std::optional<QString> HelpFileArgument();
    // The program as the help engine: the help window alone on `helpFile` at the help topic,
    // until it is closed. Returns the exit status.
    int RunHelpEngine(const QString& helpFile);

  private:
    std::unique_ptr<MainFrame> frame_;
    std::unique_ptr<HelpViewer> helpViewer_;
};

}  // namespace zavel
