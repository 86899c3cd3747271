#include "platform/qt/qt_platform.h"

#include "platform/common.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QMessageBox>
#include <QSerialPort>
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
    QtTimer()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTick)
                onTick();
        });
    }
    void setInterval(int ms) override { timer_.setInterval(ms); }
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

class QtSerialPort : public BufferedSerialPort {
public:
    explicit QtSerialPort(QString programDir) : programDir_(std::move(programDir))
    {
        QObject::connect(&port_, &QSerialPort::readyRead, [this] { deliver(port_.readAll()); });
        QObject::connect(&port_, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
            // A vanished device makes Qt report read errors without end;
            // close at the first so that nothing spins. The modem-line calls
            // on a pseudo-terminal fail harmlessly and are ignored.
            if ((e == QSerialPort::ReadError || e == QSerialPort::ResourceError ||
                 e == QSerialPort::WriteError) &&
                port_.isOpen()) {
                lastError_ = port_.errorString();
                port_.close();
            }
        });
    }
    void setPortNumber(int n) override { number_ = n; }
    int portNumber() const override { return number_; }
    bool setSettings(const QString &text) override { return parseLineSettings(text, &settings_); }
    bool open() override
    {
        if (port_.isOpen())
            return true;
        port_.setPortName(portDeviceName(number_, programDir_));
        if (!port_.open(QIODevice::ReadWrite)) {
            lastError_ = port_.errorString();
            return false;
        }
        port_.setBaudRate(settings_.baud > 0 ? settings_.baud : 300);
        port_.setDataBits(QSerialPort::DataBits(settings_.dataBits));
        switch (settings_.parity) {
        case 'E': port_.setParity(QSerialPort::EvenParity); break;
        case 'O': port_.setParity(QSerialPort::OddParity); break;
        case 'M': port_.setParity(QSerialPort::MarkParity); break;
        case 'S': port_.setParity(QSerialPort::SpaceParity); break;
        default: port_.setParity(QSerialPort::NoParity); break;
        }
        port_.setStopBits(settings_.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
        port_.setFlowControl(QSerialPort::NoFlowControl);
        port_.clearError();
        return true;
    }
    void close() override
    {
        if (port_.isOpen())
            port_.close();
    }
    bool isOpen() const override { return port_.isOpen(); }
    QString errorText() const override { return lastError_; }
    void write(const QByteArray &bytes) override
    {
        if (port_.isOpen())
            port_.write(bytes);
    }
    void discardInput() override
    {
        if (port_.isOpen())
            port_.readAll();
        BufferedSerialPort::discardInput();
    }

private:
    QString programDir_;
    QSerialPort port_;
    LineSettings settings_;
    int number_ = 1;
    QString lastError_;
};

class QtMessageBoxes : public MessageBoxes {
public:
    void showOk(const QString &text) override { ask(text, QMessageBox::Ok); }
    bool showOkCancel(const QString &text) override
    {
        return ask(text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    }

private:
    static int ask(const QString &text, QMessageBox::StandardButtons buttons)
    {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ondal Pelora"), text, buttons,
                        QApplication::activeWindow());
        return box.exec();
    }
};

}  // namespace

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
    p.programDir = programDir;
    return p;
}

}  // namespace platform
