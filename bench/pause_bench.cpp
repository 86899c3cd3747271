// Measures the real backend's Pause: the CPU it uses while it waits, against
// a loop that pumps events without sleeping, and how late it returns.
//
//   build/bench/pause_bench [seconds-of-long-wait] [number-of-short-waits]

#include "platform/qt/qt_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const double longWait = argc > 1 ? std::atof(argv[1]) : 5.0;
    const int shortWaits = argc > 2 ? std::atoi(argv[2]) : 60;

    QTemporaryDir dir;
    platform::Platform platform = platform::makeQtPlatform(dir.path());
    Form1 form(platform);
    form.testtimer->setEnabled(false);

    // Baseline: pumping events in a loop without ever sleeping.
    double c0 = cpuSeconds(), w0 = wallSeconds();
    while (wallSeconds() - w0 < longWait)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    const double spinCpu = cpuSeconds() - c0, spinWall = wallSeconds() - w0;

    c0 = cpuSeconds();
    w0 = wallSeconds();
    form.Pause(float(longWait));
    const double pauseCpu = cpuSeconds() - c0, pauseWall = wallSeconds() - w0;

    std::mt19937 gen(7);
    std::uniform_real_distribution<double> len(0.1, 0.5);
    std::vector<double> late;
    for (int i = 0; i < shortWaits; ++i) {
        const float s = float(len(gen));
        const double start = wallSeconds();
        form.Pause(s);
        late.push_back((wallSeconds() - start - s) * 1000.0);
    }
    std::sort(late.begin(), late.end());

    std::printf("Pause CPU during a %.1f s wait: %.3f%% (%.4f s CPU in %.3f s)\n", longWait,
                100.0 * pauseCpu / pauseWall, pauseCpu, pauseWall);
    std::printf("Pumping loop without sleep:     %.1f%% (%.3f s CPU in %.3f s)\n", 100.0 * spinCpu / spinWall,
                spinCpu, spinWall);
    std::printf("Ratio Pause/loop: %.5f\n", (pauseCpu / pauseWall) / (spinCpu / spinWall));
    std::printf("Lateness over %d waits of 0.1-0.5 s: median %.2f ms, max %.2f ms, min %.2f ms\n", shortWaits,
                late[late.size() / 2], late.back(), late.front());
    return 0;
}
