#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Glyphor 2"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Glyphor 2"));
    window.show();
    return app.exec();
}
