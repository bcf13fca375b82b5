// What a word-list editor or the directory chooser needs from the window that opens it. The main
// window implements it (and the installer screen, which opens the chooser too). Only one such
// tool window is open at a time; the owner keeps the flag that says so.
#pragma once

#include <QFont>
#include <QLineEdit>
#include <QWidget>

#include <string>

namespace zavel {

class ToolWindowOwner {
  public:
    virtual ~ToolWindowOwner() = default;

    // The window the tool windows belong to: they stay above it, show its icon and close with
    // it. May be null (a tool window without owner is a plain top-level window).
    virtual QWidget* OwnerWindow() = 0;

    // toolWindowOpen. The tool window sets it when it is created and clears it when OK, Cancel
    // or the close box ends it. While it is set the owner's four Settings list commands are
    // disabled (their enable rule reads it, Ctrl+K included); the browse button and the list
    // commands cannot open a second tool window in any case.
    virtual bool IsToolWindowOpen() const = 0;
    virtual void SetToolWindowOpen(bool open) = 0;

    // toolWindowOffset: the cascade offset in pixels of the next tool window, 0 at first.
    virtual int& ToolWindowOffset() = 0;

    // controlFont: the font of every control.
    virtual QFont ControlFont() const = 0;

    // The program directory, ending with "/": the word lists are this followed by their name.
    virtual std::string ProgramDir() const = 0;

    // installMode: the chooser opened from the installer screen is titled "Choose Directory".
    virtual bool InInstallMode() const = 0;

    // destinationEdit: the edit that shows the destination directory to the user. The chooser
    // reads it when it opens and sets it on OK.
    virtual QLineEdit* DestinationEdit() = 0;

    // destinationText: the destination directory the next copies go to. The chooser replaces it
    // with every directory it enters, before OK or Cancel (Cancel does not undo). The records of
    // the latest crawl share this text and the crawl worker reads it, so the owner must hand the
    // new text to them in a way that thread may read (never a change in place under its feet).
    virtual std::string DestinationText() const = 0;
    virtual void SetDestinationText(const std::string& text) = 0;
};

}  // namespace zavel
