#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName("Glyphsmith");
    QMainWindow window;
    window.setWindowTitle("Glyphsmith");
    window.show();
    return app.exec();
}
