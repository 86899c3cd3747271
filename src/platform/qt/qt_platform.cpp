#include "platform/qt/qt_platform.h"

#include "platform/common.h"
#include "platform/logging.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTime>
#include <QTimer>

#include <cmath>


namespace platform {
namespace {

class QtClock : public Clock {
public:
    float secondsSinceMidnight() const override
    {
        return float(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
    }
    QDate date() const override { return QDate::currentDate(); }
    int hour() const override { return QTime::currentTime().hour(); }
    int minute() const override { return QTime::currentTime().minute(); }
    int weekday() const override { return QDate::currentDate().dayOfWeek() % 7 + 1; }
};

class QtTimer : public Timer {
public:
    static constexpr int kCoarseFromMs = 10000;

    QtTimer()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTick)
                onTick();
        });
    }
    void setInterval(int ms) override
    {
        // The periodic ones (the status refresh, the switch timer) may be
        // bunched with the system's other wake-ups, a few per cent early
        // or late. The watches of an answer (1 s, 2 s) and the pacing of
        // codes judge the device to the tenth of a second: precise.
        timer_.setTimerType(ms >= kCoarseFromMs ? Qt::CoarseTimer : Qt::PreciseTimer);
        timer_.setInterval(ms);
    }
    int interval() const override { return timer_.interval(); }
    void setEnabled(bool on) override
    {
        if (on && !timer_.isActive())
            timer_.start();
        else if (!on)
            timer_.stop();
    }
    bool isEnabled() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

class QtPump : public EventPump {
public:
    void processEvents(double maxWaitSeconds) override
    {
        if (maxWaitSeconds <= 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            return;
        }
        // Sleep in the event loop until something happens or the wait is
        // over: a precise single-shot timer wakes it, so nothing spins.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(int(std::ceil(maxWaitSeconds * 1000.0)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
};

// Why a port did not open, with what the user can do about it.
QString openFailure(const QString &device, const QSerialPort &port)
{
    const QString head =
        QCoreApplication::translate("SerialPort", "Der serielle Port %1 lässt sich nicht öffnen: ").arg(device);
    const QFileInfo file(device);
    // The reason in the window's language; the system's own words (English)
    // only in brackets, for an error without words of ours.
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return head + QCoreApplication::translate("SerialPort",
                                                  "das Gerät gibt es nicht (ist der Adapter eingesteckt, stimmt die "
                                                  "Portnummer?).");
    case QSerialPort::PermissionError:
        // Qt reports a port that another program holds as a failed lock.
        if (file.exists() && file.isReadable() && file.isWritable())
            return head + QCoreApplication::translate("SerialPort", "er ist belegt (ein anderes Programm verwendet ihn).");
        return head + QCoreApplication::translate("SerialPort",
                                                  "keine Berechtigung. Ihr Benutzer muss zur Gruppe „dialout“ "
                                                  "gehören (sudo adduser $USER dialout, danach neu anmelden).");
    case QSerialPort::OpenError:
        return head + QCoreApplication::translate("SerialPort", "er ist schon geöffnet.");
    case QSerialPort::ResourceError:
        return head + QCoreApplication::translate("SerialPort", "das Gerät ist nicht mehr erreichbar.");
    case QSerialPort::UnsupportedOperationError:
        return head + QCoreApplication::translate("SerialPort", "das Gerät ist kein serieller Port.");
    default:
        return head + QCoreApplication::translate("SerialPort", "Systemfehler (%1).").arg(port.errorString());
    }
}

class QtSerialPort : public BufferedSerialPort {
public:
    explicit QtSerialPort(QString programDir) : programDir_(std::move(programDir)) {}
    ~QtSerialPort() override { drop(); }

    void setPortNumber(int n) override { number_ = n; }
    int portNumber() const override { return number_; }
    void setDevicePath(const QString &path) override
    {
        path_ = path;
        chosen_.clear();
    }
    QString devicePath() const override { return path_; }
    bool setSettings(const QString &text) override { return parseLineSettings(text, &settings_); }
    bool open() override
    {
        if (port_)
            return true;
        // A fresh port object each time: one that has lost its device
        // carries stale state.
        auto port = std::make_unique<QSerialPort>();
        const QString device = deviceName();
        port->setPortName(device);
        if (!port->open(QIODevice::ReadWrite)) {
            lastError_ = openFailure(device, *port);
            return false;
        }
        port->setBaudRate(settings_.baud > 0 ? settings_.baud : 300);
        port->setDataBits(QSerialPort::DataBits(settings_.dataBits));
        switch (settings_.parity) {
        case 'E': port->setParity(QSerialPort::EvenParity); break;
        case 'O': port->setParity(QSerialPort::OddParity); break;
        case 'M': port->setParity(QSerialPort::MarkParity); break;
        case 'S': port->setParity(QSerialPort::SpaceParity); break;
        default: port->setParity(QSerialPort::NoParity); break;
        }
        port->setStopBits(settings_.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
        port->setFlowControl(QSerialPort::NoFlowControl);
        // Qt's own buffer no larger than ours: a line that sends faster than
        // the window reads is held back in the driver, not collected here.
        port->setReadBufferSize(kInBufferSize);
        port->clearError();
        QSerialPort *p = port.get();
        QObject::connect(p, &QSerialPort::readyRead, p, [this, p] { deliver(p->readAll()); });
        QObject::connect(p, &QSerialPort::errorOccurred, p, [this, p](QSerialPort::SerialPortError e) {
            // A vanished device makes Qt report read errors without end;
            // close at the first so that nothing spins. The modem-line calls
            // on a pseudo-terminal fail harmlessly and are ignored.
            if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError || e == QSerialPort::WriteError) {
                lastError_ = p->errorString();
                drop();
                // The window hears of it as an event that is no character.
                if (onComm)
                    onComm(Other);
            }
        });
        port_ = std::move(port);
        return true;
    }
    void close() override { drop(); }
    bool isOpen() const override { return port_ != nullptr; }
    QString errorText() const override { return lastError_; }
    void write(const QByteArray &bytes) override
    {
        // Into the driver now, not at the next turn of the event loop: a
        // handler that keeps the loop busy must not hold codes back.
        if (port_) {
            port_->write(bytes);
            port_->flush();
        }
    }
    void discardInput() override
    {
        // What waits in the driver goes too, not only what Qt has read.
        if (port_) {
            port_->clear(QSerialPort::Input);
            port_->readAll();
        }
        BufferedSerialPort::discardInput();
    }

private:
    // The name chosen at the first open is kept until another device is
    // chosen: a COM<n> link that disappears with its device is waited for,
    // not replaced by another port.
    QString deviceName()
    {
        if (!path_.isEmpty())
            return path_;
        if (chosen_.isEmpty())
            chosen_ = portDeviceName(number_, programDir_, &viaLink_);
        if (!viaLink_)
            return chosen_;
        const QFileInfo link(linkPath());
        return link.isSymLink() ? link.symLinkTarget() : link.filePath();
    }
    QString linkPath() const { return QDir(programDir_).filePath(QStringLiteral("COM%1").arg(number_)); }

    void drop()
    {
        if (!port_)
            return;
        QSerialPort *p = port_.release();
        QObject::disconnect(p, nullptr, nullptr, nullptr);
        p->close();
        p->deleteLater();  // it may be inside one of its own signals
    }

    QString programDir_;
    std::unique_ptr<QSerialPort> port_;
    LineSettings settings_;
    int number_ = 1;
    QString path_;
    QString lastError_;
    QString chosen_;
    bool viaLink_ = false;
};

class QtMessageBoxes : public MessageBoxes {
public:
    void showOk(const QString &text, const QString &details) override { ask(text, QMessageBox::Ok, details); }
    bool showOkCancel(const QString &text) override
    {
        return ask(text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    }

private:
    static int ask(const QString &text, QMessageBox::StandardButtons buttons, const QString &details = QString())
    {
        // The default button has the focus as the box appears: a screen
        // reader speaks it, and Enter answers it.
        class Box : public QMessageBox {
        public:
            using QMessageBox::QMessageBox;

        protected:
            void showEvent(QShowEvent *e) override
            {
                QMessageBox::showEvent(e);
                if (QPushButton *b = defaultButton())
                    b->setFocus(Qt::OtherFocusReason);
            }
        };
        Box box(QMessageBox::NoIcon, QStringLiteral("Ondal Pelora"), text, buttons, QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Ok);
        box.setInformativeText(details);
        return box.exec();
    }
};

// Without a window: the text goes to the log and is answered OK.
class LoggedMessageBoxes : public MessageBoxes {
public:
    void showOk(const QString &text, const QString &details) override
    {
        qCWarning(lcHome).noquote() << (details.isEmpty() ? text : text + u' ' + details);
    }
    bool showOkCancel(const QString &text) override
    {
        qCWarning(lcHome).noquote() << text << "(answered OK)";
        return true;
    }
};

}  // namespace

std::unique_ptr<MessageBoxes> makeLoggedMessageBoxes()
{
    return std::make_unique<LoggedMessageBoxes>();
}

Platform makeQtPlatform(const QString &programDir)
{
    Platform p;
    p.clock = std::make_unique<QtClock>();
    p.pump = std::make_unique<QtPump>();
    p.makeTimer = [] { return std::make_unique<QtTimer>(); };
    p.serial = std::make_unique<QtSerialPort>(programDir);
    p.random = std::make_unique<MtRandom>(
        [] { return std::uint32_t(QDateTime::currentMSecsSinceEpoch()); });
    p.messages = std::make_unique<QtMessageBoxes>();
    p.listPorts = [] {
        QList<SystemPort> ports;
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            ports.append({info.systemLocation(), info.description()});
        return ports;
    };
    p.watchSocket = makeQtSocketWatch;
    p.inBackground = runInBackground;
    p.programDir = programDir;
    p.stateDir = stateDirectory();
    return p;
}

}  // namespace platform
