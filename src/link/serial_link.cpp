// Start and close of the window, and the one way codes reach the line.

#include "ui/form1.h"

#include <cstdio>

namespace {
const QString kStartFailure = QStringLiteral(
    "Fehler, Mögliche Ursachen:  Anderes Programm verwendet den COM-Port oder Fehler in der Datei SENDERNAME.TXT");
}

bool Form1::Form_Load()
{
    // The message names the two usual causes; the reason says which it was.
    QString reason;
    bool ok = GetConfiguration(&reason);
    if (ok) {
        MSComm1.setPortNumber(comPort);
        ok = MSComm1.setSettings(QStringLiteral("300,N,8,1")) && MSComm1.open();
        // The port raises one receive event per character (threshold 1).
        if (!ok)
            reason = MSComm1.errorText();
    }
    if (ok) {
        try {
            refreshStationKeys();
        } catch (const std::exception &e) {
            ok = false;
            reason = QString::fromUtf8(e.what());
        }
    }
    if (!ok) {
        MSComm1.close();
        unloaded_ = true;  // a failed start writes no file
        std::fprintf(stderr, "pelora: %s\n%s\n", qUtf8Printable(kStartFailure), qUtf8Printable(reason));
        plat.messages->showOk(kStartFailure, reason);
        return false;
    }
    runHandler([this] { requestStatus(); });
    return true;
}

void Form1::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    MSComm1.close();
    saveConfiguration();
}

void Form1::writeCode(cmd::Code code)
{
    MSComm1.write(QByteArray(code.data(), qsizetype(code.size())));
}
