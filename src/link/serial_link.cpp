// Start and close of the window, and the one way codes reach the line.

#include "ui/form1.h"
#include "platform/logging.h"

#include <QCoreApplication>

namespace {
// Looked up when shown: the language is chosen after start-up.
QString startFailure()
{
    return QCoreApplication::translate("SerialPort", "Fehler, Mögliche Ursachen:  Anderes Programm verwendet den "
                                                     "COM-Port oder Fehler in der Datei SENDERNAME.TXT");
}
}

bool Form1::Form_Load()
{
    // The message names the two usual causes; the reason says which it was.
    QString reason;
    bool ok = GetConfiguration(&reason);
    if (ok) {
        MSComm1.setPortNumber(comPort);
        ok = MSComm1.setSettings(QStringLiteral("300,N,8,1")) && MSComm1.open();
        if (!ok && comPortFallback && !MSComm1.devicePath().isEmpty()) {
            // A saved choice that does not open (no permission, another
            // program holds it) must not fail every start: the COM<n> port
            // serves this run, and the port list stays within reach.
            qCWarning(lcLink).noquote() << MSComm1.devicePath() << "does not open (" << MSComm1.errorText()
                                        << "); using the port of config.dat";
            MSComm1.setDevicePath(QString());
            ok = MSComm1.open();
        }
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
        qCWarning(lcLink).noquote().nospace() << startFailure() << "\n" << reason;
        plat.messages->showOk(startFailure(), reason);
        return false;
    }
    hifi_.setLink({MSComm1.devicePath(), comPort, MSComm1.isOpen(), false});
    runHandler([this] { requestStatus(); });
    return true;
}

void Form1::choosePort(const QString &device)
{
    const QString before = MSComm1.devicePath();
    if (device == before && MSComm1.isOpen())
        return;
    MSComm1.close();
    MSComm1.setDevicePath(device);
    if (!MSComm1.open()) {
        // The old line comes back; the user is told why, and when it does
        // not, that nothing reaches the device now.
        const QString why = MSComm1.errorText();
        MSComm1.setDevicePath(before);
        const bool back = MSComm1.open();
        auto name = [this](const QString &d) { return d.isEmpty() ? QStringLiteral("COM%1").arg(comPort) : d; };
        QString text =
            QCoreApplication::translate("SerialPort", "Der Port %1 lässt sich nicht öffnen.").arg(name(device));
        if (!back && before != device)
            text +=
                QCoreApplication::translate("SerialPort", " Auch der bisherige Port %1 lässt sich nicht wieder öffnen.")
                    .arg(name(before));
        if (!back)
            text += QCoreApplication::translate(
                "SerialPort", " Es ist jetzt keine Leitung zum Gerät offen; wählen Sie unter „config“ "
                              "einen anderen Port.");
        plat.messages->showOk(text, why);
    }
    hifi_.setLink({MSComm1.devicePath(), comPort, MSComm1.isOpen(), hifi_.link().answering});
    // The window follows the device now on the line.
    requestStatus();
}

void Form1::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    // Requests from outside that still wait are dropped without a word.
    door_->close();
    MSComm1.close();
    saveConfiguration();
}

void Form1::writeCode(cmd::Code code)
{
    toLine(QByteArray(code.data(), qsizetype(code.size())));
}
