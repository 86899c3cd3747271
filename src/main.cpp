#include "platform/qt/qt_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/pelora.svg")));
    platform::endOnTerminationSignals();
    platform::Platform platform = platform::makeQtPlatform(platform::programDirectory());
    Form1 form(platform);
    if (!form.Form_Load())
        return 1;
    form.show();
    const int rc = app.exec();
    form.Form_Unload();  // also when the session ends without a close event
    return rc;
}
