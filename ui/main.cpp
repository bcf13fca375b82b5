// Start-up of the program. Until the main window is built this is the smallest honest
// program: an empty window titled "ZAVEL".
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("ZAVEL"));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
