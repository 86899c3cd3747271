// The wiring that virtual time cannot prove: the real program and window on
// the real serial port, talking to pelora-sim on a pseudo-terminal.

#include "e2e_support.h"

#include "platform/qt/qt_platform.h"
#include "ui/form1.h"

#include <sys/resource.h>

#include <memory>

namespace {

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

class InProcessTest : public RealStackTest {
protected:
    platform::Platform platform;
    std::unique_ptr<Form1> form;

    void startWindow()
    {
        platform = platform::makeQtPlatform(dir.path());
        form = std::make_unique<Form1>(platform);
        ASSERT_TRUE(form->Form_Load());
        form->show();
    }
    bool waitForDump(int ms = 6000)
    {
        return QTest::qWaitFor([this] { return form->statusPending == 0 && form->rxCount == 79; }, ms);
    }
    void TearDown() override
    {
        form.reset();
        RealStackTest::TearDown();
    }
};

}  // namespace

TEST_F(RealStackTest, TheProgramAsksForStatusFirst)
{
    // The program looks for its data files and COM1 beside itself.
    ASSERT_TRUE(QFile::copy(QStringLiteral(PELORA_BINARY_DIR "/pelora"), path(QStringLiteral("pelora"))));
    QFile::setPermissions(path(QStringLiteral("pelora")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(path(QStringLiteral("pelora")), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !simCodes().empty(); }, 5000));
    EXPECT_EQ(simCodes().front(), "0:7");
    program.terminate();
    program.waitForFinished(5000);
}

TEST_F(InProcessTest, WindowFollowsTheDeviceAndKeysReachIt)
{
    startWindow();
    ASSERT_TRUE(waitForDump());
    EXPECT_EQ(form->quelA->text(), QStringLiteral("FM"));
    EXPECT_EQ(form->volR->value(), 30);  // the simulator starts at volume 30
    EXPECT_EQ(form->volA->text(), QStringLiteral("30"));
    EXPECT_FALSE(form->nameA->text().isEmpty());
    EXPECT_EQ(simCodes().front(), "0:7");

    QTest::mouseClick(form->Quelle[6], Qt::LeftButton);
    EXPECT_TRUE(waitForCode("0<>"));
    QTest::mouseClick(form->muteK, Qt::LeftButton);
    EXPECT_TRUE(waitForCode("0<5"));

    // Closing writes the files: the window size chosen here is saved.
    QTest::mouseClick(form->verkleinern, Qt::LeftButton);
    form->close();
    const QList<QByteArray> firstLine = readFile(QStringLiteral("config.dat")).split('\n').first().split(',');
    ASSERT_GE(firstLine.size(), 12);
    EXPECT_EQ(firstLine[11], "0");
}

TEST_F(InProcessTest, DeviceLossAndReturn)
{
    startWindow();
    ASSERT_TRUE(waitForDump());
    const QByteArray config = readFile(QStringLiteral("config.dat"));
    const QByteArray slots = readFile(QStringLiteral("Speicherplatz.txt"));

    stopSim();  // the adapter is gone
    const double cpu0 = processCpuSeconds();
    QTest::qWait(1500);
    EXPECT_LT(processCpuSeconds() - cpu0, 0.3);  // no storm of errors

    form->requestStatus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return form->quelA->text() == QStringLiteral("off"); }, 4000));
    EXPECT_TRUE(form->formEnabled());
    EXPECT_EQ(readFile(QStringLiteral("config.dat")), config);
    EXPECT_EQ(readFile(QStringLiteral("Speicherplatz.txt")), slots);

    // Plugged in again under the same name: the next request opens it again.
    startSim();
    form->requestStatus();
    EXPECT_TRUE(QTest::qWaitFor([this] { return form->quelA->text() == QStringLiteral("FM"); }, 6000));
    EXPECT_EQ(form->statusPending, 0);
}

TEST_F(InProcessTest, LateAnswerIsFollowed)
{
    // The request takes 0.1 s on the line and the simulator reacts 50 ms
    // after it: with 1.75 s more, its answer begins 1.9 s after the request.
    stopSim();
    startSim({QStringLiteral("--delay"), QStringLiteral("1750")});
    startWindow();
    QTest::qWait(2300);  // past the answer watch, a few characters in
    EXPECT_NE(form->quelA->text(), QStringLiteral("off"));
    EXPECT_EQ(form->statusPending, 1);
    ASSERT_TRUE(waitForDump(5000));
    EXPECT_EQ(form->quelA->text(), QStringLiteral("FM"));
    EXPECT_EQ(form->volR->value(), 30);
    EXPECT_TRUE(form->formEnabled());
}
