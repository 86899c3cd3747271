// The yardstick of idle_bench: the smallest Qt Widgets window there is.

#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Ondal Pelora"));
    label.show();
    return app.exec();
}
