// The event loop never waits for the network: `pelora --headless --mqtt`
// with a broker name that needs DNS, where the only name server is a UDP
// socket on 127.0.0.1:53 that never answers. The test runs itself again in
// a user, network, mount and PID namespace of its own (unshare), so that it
// can bring up lo, put its own resolv.conf in place and bind port 53; the
// PID namespace ends whatever is left when it ends.

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
    QTemporaryDir outer;
    QProcess bus, pelora;
    int sink = -1;

    void SetUp() override
    {
        if (inside)
            RealStackTest::SetUp();
    }
    void TearDown() override
    {
        for (QProcess *p : {&pelora, &bus}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(2000);
            }
        }
        if (sink >= 0)
            close(sink);
        if (inside)
            RealStackTest::TearDown();
    }

    // Outside: runs this test again inside the namespaces.
    void runInside()
    {
        const QString unshare = findTool(QStringLiteral("unshare"));
        const QString ip = findTool(QStringLiteral("ip"));
        if (unshare.isEmpty() || ip.isEmpty())
            GTEST_SKIP() << "unshare or ip is missing";
        const QStringList ns = {QStringLiteral("-rnmpf"), QStringLiteral("--kill-child"), QStringLiteral("--mount-proc")};
        QProcess probe;
        probe.start(unshare, ns + QStringList{ip, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
                                              QStringLiteral("up")});
        if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            GTEST_SKIP() << "no user and network namespace for this user here: "
                         << probe.readAllStandardError().trimmed().constData();

        ASSERT_TRUE(outer.isValid());
        const QString resolv = QDir(outer.path()).filePath(QStringLiteral("resolv.conf"));
        QFile f(resolv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("nameserver 127.0.0.1\n");
        f.close();
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QLatin1String(kInside), QStringLiteral("1"));
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        const QString test = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
                             u'.' + QLatin1String(::testing::UnitTest::GetInstance()->current_test_info()->name());
        run.start(unshare, ns + QStringList{QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                                            QStringLiteral("\"$0\" link set lo up && mount --bind \"$1\" /etc/resolv.conf "
                                                           "&& exec \"$2\" --gtest_filter=\"$3\""),
                                            ip, resolv, QCoreApplication::applicationFilePath(), test});
        ASSERT_TRUE(run.waitForStarted(5000));
        const bool ended = run.waitForFinished(120000);
        if (!ended) {
            run.kill();  // --kill-child: the namespace's first process, and with it all others
            run.waitForFinished(5000);
        }
        const QByteArray out = run.readAll();
        ASSERT_TRUE(ended) << "the run inside did not end in 120 s\n" << out.constData();
        EXPECT_EQ(run.exitCode(), 0) << out.constData();
        // A skip inside is a skip here, not a pass.
        if (out.contains("[  SKIPPED ]"))
            GTEST_SKIP() << out.constData();
    }

    // The name server that never answers; counts what it is asked.
    void bindSink()
    {
        sink = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(53);
        ASSERT_EQ(bind(sink, reinterpret_cast<sockaddr *>(&a), sizeof a), 0) << "port 53 in the namespace";
    }
    int queries() const
    {
        int n = 0;
        char buf[512];
        while (recv(sink, buf, sizeof buf, 0) > 0)
            ++n;
        return n;
    }
};

}  // namespace

TEST_F(SilentResolverTest, TheBusIsAnsweredWhileTheBrokerNameGoesUnanswered)
{
    if (!inside)
        return runInside();

    bindSink();
    bus.setProgram(QStringLiteral("dbus-daemon"));
    bus.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    bus.start();
    ASSERT_TRUE(bus.waitForStarted(5000)) << "dbus-daemon is missing";
    ASSERT_TRUE(QTest::qWaitFor([this] { return bus.canReadLine(); }, 5000));
    const QString address = QString::fromLatin1(bus.readLine()).trimmed();

    ASSERT_TRUE(copyProgram(path(QStringLiteral("pelora"))));
    QProcessEnvironment env = programEnv(dir.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    pelora.setProcessEnvironment(env);
    pelora.setProcessChannelMode(QProcess::ForwardedChannels);
    pelora.start(path(QStringLiteral("pelora")),
                 {QStringLiteral("--headless"), QStringLiteral("--mqtt"), QStringLiteral("some-broker.example:1883")});
    ASSERT_TRUE(pelora.waitForStarted(5000));

    QDBusConnection probe = QDBusConnection::connectToBus(address, QStringLiteral("resolver-probe"));
    ASSERT_TRUE(probe.isConnected());
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.pelora");
    ASSERT_TRUE(QTest::qWaitFor([&] { return probe.interface()->isServiceRegistered(name).value(); }, 10000));

    // A Get of the volume, which the main thread answers, every 100 ms for
    // 8 s: the first lookup and its retries fall in this time.
    QDBusMessage get = QDBusMessage::createMethodCall(name, QStringLiteral("/org/mpris/MediaPlayer2"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume");
    qint64 longest = 0;
    int slow = 0, asked = 0;
    QElapsedTimer soak;
    soak.start();
    while (soak.elapsed() < 8000) {
        QElapsedTimer t;
        t.start();
        const QDBusMessage reply = probe.call(get, QDBus::Block, 3000);
        const qint64 ms = t.elapsed();
        longest = std::max(longest, ms);
        slow += reply.type() != QDBusMessage::ReplyMessage || ms >= 200;
        ++asked;
        QTest::qWait(100);
    }
    const int lookups = queries();
    EXPECT_GT(lookups, 0) << "the broker's name was never asked of the name server";
    EXPECT_EQ(slow, 0) << slow << " of " << asked << " Gets unanswered within 0.2 s; the longest took " << longest
                       << " ms";
    ASSERT_EQ(pelora.state(), QProcess::Running);

    // Ending does not wait for the lookup either.
    pelora.terminate();
    EXPECT_TRUE(pelora.waitForFinished(2000)) << "SIGTERM went unanswered for 2 s during a lookup";
    EXPECT_EQ(pelora.exitCode(), 0);
    QDBusConnection::disconnectFromBus(QStringLiteral("resolver-probe"));
}
