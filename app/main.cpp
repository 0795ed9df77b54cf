#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName(QStringLiteral("MDIfrmBike"));
    window.setWindowTitle(QStringLiteral("Vettaro "));
    window.setCentralWidget(new QMdiArea(&window));
    window.resize(1024, 720);
    window.show();
    return app.exec();
}
