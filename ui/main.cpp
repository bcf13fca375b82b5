// Start-up of the program: the application object and its main window. The same program file
// is also the setup engine for its recorded uninstall command, and the help engine for its
// help file, so that an installed copy needs nothing but itself to be removed or read.
#include <iostream>
#include <string>
#include <vector>

#include "install/setup/setup_run.h"
#include "ui/main_app.h"

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // "zavel.exe DefaultUninstall 132 <inf>": the engine's command, carried out without a window.
    if (zavel::setup::IsSectionCommand(arguments)) {
        return zavel::setup::RunSetup(arguments, std::cerr);
    }
    zavel::MainApp app(argc, argv);
    // "zavel.exe <folder>/zavel.hlp", as the menu's help entry starts it: the help window alone.
    if (const std::optional<QString> helpFile = zavel::MainApp::HelpFileArgument()) {
        return app.RunHelpEngine(*helpFile);
    }
    if (!app.InitInstance()) {
        return 1;
    }
    return zavel::MainApp::exec();
}
