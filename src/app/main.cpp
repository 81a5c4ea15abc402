#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Keyrelay");
    window.resize(400, 120);
    window.show();
    return app.exec();
}
