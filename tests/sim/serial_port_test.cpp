// A real serial port of the program's toolkit talking to the device model
// over a pseudo-terminal at 300 baud, paced as the pelora-sim program paces it.

#include "model/device_model.h"
#include "model/dump.h"
#include "model/pty_line.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QThread>
#include <gtest/gtest.h>

#include <ctime>
#include <thread>
#include <unistd.h>

using namespace sim;

namespace {

class SimPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        auto p = openPty(error);
        ASSERT_TRUE(p) << error;
        pty = *p;
        ASSERT_EQ(pipe(stopPipe), 0);
        line = std::make_unique<PacedLine>(model, pty.master);
        server = std::thread([this] { serverResult = line->run(stopPipe[0]); });
    }

    void TearDown() override
    {
        stopServer();
        closePty(pty);
        for (int fd : stopPipe)
            if (fd >= 0)
                close(fd);
    }

    void stopServer()
    {
        if (server.joinable()) {
            [[maybe_unused]] auto n = write(stopPipe[1], "q", 1);
            server.join();
        }
    }

    bool openPort(QSerialPort &port)
    {
        port.setPortName(QString::fromStdString(pty.slavePath));
        if (!port.open(QIODevice::ReadWrite))
            return false;
        port.setBaudRate(300);
        port.setDataBits(QSerialPort::Data8);
        port.setParity(QSerialPort::NoParity);
        port.setStopBits(QSerialPort::OneStop);
        port.setFlowControl(QSerialPort::NoFlowControl);
        return true;
    }

    // Reads until `count` bytes have come or `seconds` have passed.
    static QByteArray readFor(QSerialPort &port, int count, double seconds, QElapsedTimer &clock)
    {
        QByteArray got;
        while (got.size() < count && clock.elapsed() < seconds * 1000) {
            if (port.waitForReadyRead(100) || port.bytesAvailable())
                got += port.readAll();
        }
        return got;
    }

    DeviceModel model;
    Pty pty;
    int stopPipe[2] = {-1, -1};
    std::unique_ptr<PacedLine> line;
    std::thread server;
    int serverResult = -1;
};

}  // namespace

TEST_F(SimPty, StatusRequestGetsTheDumpAtLineSpeed)
{
    QSerialPort port;
    ASSERT_TRUE(openPort(port)) << port.errorString().toStdString();

    QElapsedTimer clock;
    clock.start();
    port.write("0<3");
    port.write("0:7");
    ASSERT_TRUE(port.waitForBytesWritten(1000));
    const QByteArray answer = readFor(port, 79, 5.0, clock);
    const qint64 ms = clock.elapsed();

    ASSERT_EQ(answer.size(), 79);
    // 6 characters out, 79 back, 33 1/3 ms each: it cannot come quicker.
    EXPECT_GT(ms, 2500);
    EXPECT_LT(ms, 5000);
    port.close();

    stopServer();
    EXPECT_EQ(serverResult, 0);
    EXPECT_EQ(model.state().volume, 31);
    EXPECT_EQ(answer.toStdString(), buildDump(model.state()));
    ASSERT_EQ(model.received().size(), 2u);
    EXPECT_NEAR(model.received()[1].time - model.received()[0].time, 0.1, 0.01);
}

TEST_F(SimPty, PortCanBeClosedAndOpenedAgain)
{
    {
        QSerialPort first;
        ASSERT_TRUE(openPort(first));
        first.write("0<5");
        ASSERT_TRUE(first.waitForBytesWritten(1000));
        QThread::msleep(300);
    }
    // With no program on the port the line must go on serving, not spin or end.
    const std::clock_t cpuBefore = std::clock();
    QThread::msleep(500);
    EXPECT_LT(double(std::clock() - cpuBefore) / CLOCKS_PER_SEC, 0.25) << "the idle line uses the processor";
    QSerialPort second;
    ASSERT_TRUE(openPort(second));
    second.clear();
    QElapsedTimer clock;
    clock.start();
    second.write("0:7");
    const QByteArray answer = readFor(second, 79, 5.0, clock);
    ASSERT_EQ(answer.size(), 79);
    EXPECT_EQ(answer.mid(46, 1), "Y");  // mute from the first connection
}
