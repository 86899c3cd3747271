#include "platform/qt/qt_platform.h"
#include "platform/qt/quit_requests.h"
#include "ui/form1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelora"));
    platform::Platform platform = platform::makeQtPlatform(platform::programDirectory());
    Form1 form(platform);
    platform::QuitRequests quitRequests([&form] { form.close(); });  // saves as the close box does
    if (!form.Form_Load())
        return 1;
    form.show();
    const int rc = app.exec();
    form.Form_Unload();  // also when the session ends without a close event
    return rc;
}
