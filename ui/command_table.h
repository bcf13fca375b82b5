// The main window's command table: its handlers are MainFrame's (command_table.cpp). Declared
// here is the accelerator table, whose keys are the window's whichever control has the focus: an
// application-wide filter takes them from the controls (the edits' select-all, copy and cut, the
// tree's select-all) before the controls see them, and hands them to the command table, which
// carries a command out only when its rule says it is enabled.
#pragma once

#include <QKeyCombination>
#include <QObject>

#include <array>

namespace zavel {

class MainFrame;

struct Accelerator {
    QKeyCombination key;
    int command;
};

// The ten entries: Ctrl+A, C, E, K, R, S, T, X, F1 and Ctrl+P.
const std::array<Accelerator, 10>& AcceleratorTable();

// The command of a key press in the main window, or 0.
int AcceleratorCommand(QKeyCombination key);

class AcceleratorFilter : public QObject {
  public:
    // Installs itself on the application for as long as it lives.
    explicit AcceleratorFilter(MainFrame* frame);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    MainFrame* frame_;
};

}  // namespace zavel
