// Start-up of the program: the application object and its main window.
#include "ui/main_app.h"

int main(int argc, char* argv[]) {
    zavel::MainApp app(argc, argv);
    if (!app.InitInstance()) {
        return 1;
    }
    return zavel::MainApp::exec();
}
