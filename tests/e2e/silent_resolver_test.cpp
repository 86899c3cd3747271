// The event loop never waits for the network: `pelora --headless --mqtt`
// with a broker name that needs DNS, where the only name server is a UDP
// socket on 127.0.0.1:53 that never answers. The test runs itself again in
// user, network, mount and PID namespaces of its own, where it may bring up
// lo, put its own resolv.conf in place and bind port 53; the PID namespace
// ends whatever is left when that run ends.

#include "e2e_support.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char kInside[] = "PELORA_E2E_IN_NAMESPACE";

class SilentResolverTest : public RealStackTest {
protected:
    const bool inside = !qEnvironmentVariableIsEmpty(kInside);
    QProcess bus, pelora;

    void SetUp() override
    {
        if (inside)
            RealStackTest::SetUp();
    }
    void TearDown() override
    {
        for (QProcess *p : {&pelora, &bus}) {
            p->kill();
            p->waitForFinished(2000);
        }
        if (inside)
            RealStackTest::TearDown();
    }

    // Outside: this test once more, inside the namespaces.
    void runInside()
    {
        const QString unshare = findTool(QStringLiteral("unshare")), ip = findTool(QStringLiteral("ip"));
        if (unshare.isEmpty() || ip.isEmpty())
            GTEST_SKIP() << "unshare or ip is missing";
        const QStringList ns = {QStringLiteral("-rnmpf"), QStringLiteral("--kill-child"), QStringLiteral("--mount-proc")};
        QProcess probe;
        probe.start(unshare, ns + QStringList{ip, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
                                              QStringLiteral("up")});
        if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
            GTEST_SKIP() << "no user and network namespace here: " << probe.readAllStandardError().trimmed().constData();

        QTemporaryDir outer;
        const QString resolv = QDir(outer.path()).filePath(QStringLiteral("resolv.conf"));
        QFile f(resolv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("nameserver 127.0.0.1\n");
        f.close();
        const ::testing::TestInfo *me = ::testing::UnitTest::GetInstance()->current_test_info();
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(kInside), QStringLiteral("1"));
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(unshare, ns + QStringList{QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                            QStringLiteral("\"$0\" link set lo up && mount --bind \"$1\" /etc/resolv.conf "
                                                           "&& exec \"$2\" --gtest_filter=\"$3\""),
                                            ip, resolv, QCoreApplication::applicationFilePath(),
                                            QStringLiteral("%1.%2").arg(QLatin1String(me->test_suite_name()),
                                                                        QLatin1String(me->name()))});
        // On a timeout the kill ends the namespace's first process, and so all of them.
        const bool ended = run.waitForFinished(120000);
        if (!ended)
            run.kill();
        run.waitForFinished(5000);
        const QByteArray out = run.readAll();
        ASSERT_TRUE(ended) << "the run inside did not end in 120 s\n" << out.constData();
        EXPECT_EQ(run.exitCode(), 0) << out.constData();
        if (out.contains("[  SKIPPED ]"))
            GTEST_SKIP() << out.constData();
    }
};

}  // namespace

TEST_F(SilentResolverTest, TheBusIsAnsweredWhileTheBrokerNameGoesUnanswered)
{
    if (!inside)
        return runInside();

    // The name server that never answers; it counts what it is asked.
    const int sink = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(53);
    ASSERT_EQ(bind(sink, reinterpret_cast<sockaddr *>(&a), sizeof a), 0) << "port 53 in the namespace";

    bus.start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    ASSERT_TRUE(QTest::qWaitFor([this] { return bus.canReadLine(); }, 5000)) << "dbus-daemon is missing";
    const QString address = QString::fromLatin1(bus.readLine()).trimmed();
    ASSERT_TRUE(copyProgram(path(QStringLiteral("pelora"))));
    QProcessEnvironment env = programEnv(dir.path());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    pelora.setProcessEnvironment(env);
    pelora.setProcessChannelMode(QProcess::ForwardedChannels);
    pelora.start(path(QStringLiteral("pelora")),
                 {QStringLiteral("--headless"), QStringLiteral("--mqtt"), QStringLiteral("some-broker.example:1883")});

    QDBusConnection probe = QDBusConnection::connectToBus(address, QStringLiteral("resolver-probe"));
    const QString name = peloraOnBus(probe);
    ASSERT_FALSE(name.isEmpty());
    // A Get of the volume, which the main thread answers, every 100 ms for
    // 8 s: the first lookup and its retries fall in this time.
    const QDBusMessage get = QDBusMessage::createMethodCall(name, QStringLiteral("/org/mpris/MediaPlayer2"),
                                                            QStringLiteral("org.freedesktop.DBus.Properties"),
                                                            QStringLiteral("Get"))
                             << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume");
    qint64 longest = 0;
    int slow = 0, asked = 0;
    QElapsedTimer soak;
    soak.start();
    while (soak.elapsed() < 8000) {
        QElapsedTimer t;
        t.start();
        const bool answered = probe.call(get, QDBus::Block, 3000).type() == QDBusMessage::ReplyMessage;
        longest = std::max(longest, t.elapsed());
        slow += !answered || t.elapsed() >= 200;
        ++asked;
        QTest::qWait(100);
    }
    char buf[512];
    int lookups = 0;
    while (recv(sink, buf, sizeof buf, 0) > 0)
        ++lookups;
    close(sink);
    EXPECT_GT(lookups, 0) << "the broker's name was never asked of the name server";
    EXPECT_EQ(slow, 0) << slow << " of " << asked << " Gets unanswered within 0.2 s; the longest took " << longest << " ms";

    // Ending does not wait for the lookup either.
    ASSERT_EQ(pelora.state(), QProcess::Running);
    pelora.terminate();
    EXPECT_TRUE(pelora.waitForFinished(2000)) << "SIGTERM unanswered for 2 s during a lookup";
    EXPECT_EQ(pelora.exitCode(), 0);
    QDBusConnection::disconnectFromBus(QStringLiteral("resolver-probe"));
}
