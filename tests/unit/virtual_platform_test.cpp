// The virtual-time backend: the tests of everything else rely on its
// ordering, timer phases and line timing.

#include "platform/virtual/virtual_platform.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using platform::virt::kCharTime;
using platform::virt::VirtualWorld;

namespace {

QDateTime at(int h, int m, double s = 0)
{
    return QDateTime(QDate(2026, 12, 7), QTime(h, m).addMSecs(qint64(s * 1000)));
}

struct Echo : LinePeer {
    std::vector<std::pair<double, char>> got;
    PeerReply byteArrived(char c, double t) override
    {
        got.emplace_back(t, c);
        return c == '?' ? PeerReply{"AB", 0.05} : PeerReply{};
    }
};

}  // namespace

TEST(VirtualScheduler, RunsEventsInTimeThenInsertionOrder)
{
    VirtualWorld w(at(10, 0), QString());
    std::string order;
    w.sched.schedule(2.0, [&] { order += 'c'; });
    w.sched.schedule(1.0, [&] { order += 'a'; });
    w.sched.schedule(1.0, [&] { order += 'b'; });
    const auto cancelled = w.sched.schedule(1.5, [&] { order += 'x'; });
    w.sched.cancel(cancelled);
    w.sched.runFor(5);
    EXPECT_EQ(order, "abc");
    EXPECT_DOUBLE_EQ(w.sched.now(), 5.0);
}

TEST(VirtualScheduler, ClockCrossesMidnightAndJumps)
{
    VirtualWorld w(at(23, 59, 59.5), QString());
    EXPECT_EQ(w.platform.clock->date(), QDate(2026, 12, 7));
    EXPECT_EQ(w.platform.clock->weekday(), 2);  // a Monday; Sunday is 1
    w.sched.runFor(1.0);
    EXPECT_EQ(w.platform.clock->date(), QDate(2026, 12, 8));
    EXPECT_NEAR(w.platform.clock->secondsSinceMidnight(), 0.5, 0.01);
    w.sched.jumpClock(2 * 86400.0);
    EXPECT_EQ(w.platform.clock->date(), QDate(2026, 12, 10));
    EXPECT_EQ(w.platform.clock->hour(), 0);
}

TEST(VirtualTimers, PhaseRulesOfEnableAndInterval)
{
    VirtualWorld w(at(10, 0), QString());
    auto t = w.platform.makeTimer();
    std::vector<double> ticks;
    t->onTick = [&] { ticks.push_back(w.sched.now()); };
    t->setInterval(200);
    t->setEnabled(true);
    w.sched.runFor(0.1);
    t->setEnabled(true);  // already running: keeps its phase
    w.sched.runFor(0.15);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_DOUBLE_EQ(ticks[0], 0.2);

    t->setEnabled(false);
    t->setEnabled(true);  // off and on again: the period starts anew
    w.sched.runFor(0.25);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_DOUBLE_EQ(ticks[1], 0.45);
    t->setEnabled(false);
    w.sched.runFor(1);
    EXPECT_EQ(ticks.size(), 2u);
}

TEST(VirtualTimers, TickDoesNotReenterWhileItsHandlerWaits)
{
    VirtualWorld w(at(10, 0), QString());
    auto t = w.platform.makeTimer();
    int depth = 0, maxDepth = 0, count = 0;
    t->onTick = [&] {
        ++count;
        maxDepth = std::max(maxDepth, ++depth);
        if (count == 1)
            w.sched.runFor(0.5);  // a handler that waits five periods
        --depth;
    };
    t->setInterval(100);
    t->setEnabled(true);
    w.sched.runFor(1.0);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GE(count, 5);
}

TEST(VirtualSerialLine, BytesTakeOneCharacterTimeEachWay)
{
    VirtualWorld w(at(10, 0), QString());
    Echo echo;
    w.serial->setPeer(&echo);
    ASSERT_TRUE(w.serial->setSettings(QStringLiteral("300,N,8,1")));
    ASSERT_TRUE(w.serial->open());
    std::vector<std::pair<double, QByteArray>> received;
    w.serial->onComm = [&](platform::SerialPort::EventKind) {
        received.emplace_back(w.sched.now(), w.serial->input());
    };
    w.serial->write("0:7");
    w.serial->write("0?");  // queued behind the first code, back to back
    w.sched.runFor(1.0);
    ASSERT_EQ(echo.got.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(echo.got[i].first, (i + 1) * kCharTime, 1e-9);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].second, "A");
    EXPECT_EQ(received[1].second, "B");
    EXPECT_NEAR(received[0].first, 5 * kCharTime + 0.05 + kCharTime, 1e-9);
    EXPECT_NEAR(received[1].first - received[0].first, kCharTime, 1e-9);
}

TEST(VirtualSerialLine, ClosedPortNeitherSendsNorReceives)
{
    VirtualWorld w(at(10, 0), QString());
    Echo echo;
    w.serial->setPeer(&echo);
    int events = 0;
    w.serial->onComm = [&](platform::SerialPort::EventKind) { ++events; };
    w.serial->write("0:7");
    w.serial->injectFromDevice("xyz");
    w.sched.runFor(1.0);
    EXPECT_TRUE(echo.got.empty());
    EXPECT_EQ(events, 0);
    w.serial->setOpenFails(true);
    EXPECT_FALSE(w.serial->open());
}

TEST(SerialReceive, EachCharacterIsOneEventInOrderEvenWhenHandlersNest)
{
    VirtualWorld w(at(10, 0), QString());
    ASSERT_TRUE(w.serial->open());
    QByteArray seen;
    w.serial->onComm = [&](platform::SerialPort::EventKind kind) {
        ASSERT_EQ(kind, platform::SerialPort::Received);
        const QByteArray c = w.serial->input();
        seen += c;
        if (c == "b")  // a handler that waits while more characters arrive
            w.sched.runFor(0.5);
    };
    w.serial->injectFromDevice("abcdef");
    w.sched.runFor(2.0);
    EXPECT_EQ(seen, "abcdef");
}

TEST(SerialReceive, AFullBufferLosesWhatComesOnTopAndTakingAllEndsTheEvents)
{
    VirtualWorld w(at(10, 0), QString());
    ASSERT_TRUE(w.serial->open());
    constexpr int bound = platform::BufferedSerialPort::kInBufferSize;
    QByteArray seen;
    int events = 0;
    int mostWaiting = 0;
    w.serial->onComm = [&](platform::SerialPort::EventKind) {
        ++events;
        mostWaiting = std::max(mostWaiting, w.serial->inBufferCount());
        seen += w.serial->input();
    };
    QByteArray burst(3 * bound, 'x');
    burst[0] = 'a';
    burst[bound - 1] = 'z';
    w.serial->burstFromDevice(burst, int(burst.size()), 0);
    w.sched.runFor(0.1);
    EXPECT_LE(mostWaiting, bound);
    ASSERT_EQ(seen.size(), bound);  // one event a character, up to the bound
    EXPECT_EQ(seen.front(), 'a');
    EXPECT_EQ(seen.back(), 'z');

    // A handler that takes all: one event for each read from the line.
    events = 0;
    seen.clear();
    w.serial->onComm = [&](platform::SerialPort::EventKind) {
        ++events;
        seen += w.serial->inputAll();
    };
    w.serial->burstFromDevice(QByteArray(1000, 'y'), 100, 0.01);
    w.sched.runFor(0.2);
    EXPECT_EQ(events, 10);
    EXPECT_EQ(seen, QByteArray(1000, 'y'));
}

TEST(LineSettings, OnlyTheUsualFormIsUnderstood)
{
    platform::LineSettings s;
    ASSERT_TRUE(platform::parseLineSettings(QStringLiteral("300,N,8,1"), &s));
    EXPECT_EQ(s.baud, 300);
    EXPECT_EQ(s.parity, 'N');
    EXPECT_FALSE(platform::parseLineSettings(QStringLiteral("300,N,8"), &s));
    EXPECT_FALSE(platform::parseLineSettings(QStringLiteral("fast,N,8,1"), &s));
    EXPECT_FALSE(platform::parseLineSettings(QStringLiteral("300,X,8,1"), &s));
}

TEST(PortDeviceName, PrefersALinkBesideTheProgram)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString dir = tmp.path();
    EXPECT_EQ(platform::portDeviceName(3, dir), QStringLiteral("/dev/ttyS2"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), dir + QStringLiteral("/COM3")));
    EXPECT_EQ(platform::portDeviceName(3, dir), QStringLiteral("/dev/null"));
}
