// A station key for slot 30 sends its preset code 35 times at 40 ms ticks.
// On a real line the codes must leave back to back: measured here on the
// real serial port against pelora-sim, whose log gives the time each code
// had fully arrived at 300 baud.
//
//   build/bench/repeat_gap_bench

#include "platform/qt/qt_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
        QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name),
                    QDir(dir.path()).filePath(QLatin1String(name)));
    const QString log = QDir(dir.path()).filePath(QStringLiteral("sim.log"));
    QProcess sim;
    sim.start(QStringLiteral(PELORA_BINARY_DIR "/pelora-sim"),
              {QStringLiteral("--dir"), dir.path(), QStringLiteral("--log"), log});
    if (!QTest::qWaitFor([&] { return QFileInfo(QDir(dir.path()).filePath(QStringLiteral("COM1"))).isSymLink(); },
                         5000))
        return 1;

    platform::Platform platform = platform::makeQtPlatform(dir.path());
    Form1 form(platform);
    if (!form.Form_Load())
        return 1;
    if (!QTest::qWaitFor([&] { return form.statusPending == 0; }, 6000))
        return 1;
    form.dauertimer->setEnabled(false);

    form.slotDirectMode = 1;
    form.stationT_Click(30);

    std::vector<double> times;
    QFile f(log);
    f.open(QIODevice::ReadOnly);
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 4 && parts[2] == "received" && parts[3] == "09:")
            times.push_back(parts[1].toDouble());
    }
    sim.terminate();
    sim.waitForFinished();
    if (times.size() != 35) {
        std::fprintf(stderr, "expected 35 codes, the device got %zu\n", times.size());
        return 1;
    }
    double worst = 0;
    for (size_t i = 1; i < times.size(); ++i)
        worst = std::max(worst, times[i] - times[i - 1] - 0.1);
    std::printf("35-code repeat of slot 30: %zu codes in %.3f s; largest gap beyond the 100 ms line time: %.1f ms\n",
                times.size(), times.back() - times.front(), worst * 1000.0);
    return 0;
}
