// The application object: it creates the one main window and deletes it, if it still has it,
// when the program ends.
#pragma once

#include <QApplication>

#include <memory>

namespace zavel {

class MainFrame;

class MainApp : public QApplication {
  public:
    MainApp(int& argc, char** argv);
    ~MainApp() override;

    // Shows error boxes through the user-interface thread and creates the main window.
    bool InitInstance();
    MainFrame* mainFrame() const { return frame_.get(); }

  private:
    std::unique_ptr<MainFrame> frame_;
};

}  // namespace zavel
