// A full station memory import (about four minutes of device time) against
// the device model on the virtual-time backend: wall time and CPU.
//
//   build/bench/import_bench [repetitions]

#include "model/device_model.h"
#include "platform/virtual/virtual_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}
}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int reps = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<double> wall, cpu, device;
    for (int r = 0; r < reps; ++r) {
        QTemporaryDir dir;
        for (const char *name : {"config.dat", "Speicherplatz.txt", "Sendername.txt"})
            QFile::copy(QStringLiteral(PELORA_SOURCE_DIR "/data/") + QLatin1String(name),
                        QDir(dir.path()).filePath(QLatin1String(name)));
        platform::virt::VirtualWorld world(QDateTime(QDate(2026, 12, 7), QTime(10, 0)), dir.path());
        sim::DeviceModel model;
        world.serial->setPeer(&model);
        Form1 form(world.platform);
        if (!form.Form_Load())
            return 1;
        form.show();
        world.sched.runFor(5);

        const auto w0 = std::chrono::steady_clock::now();
        const double c0 = cpuSeconds(), t0 = world.sched.now();
        form.StationenEinlesen_Click();
        cpu.push_back(cpuSeconds() - c0);
        wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count());
        device.push_back(world.sched.now() - t0);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("Full memory import in virtual time (%.0f s of device time), %d runs:\n", device.front(), reps);
    std::printf("  wall median %.1f ms (min %.1f, max %.1f); CPU median %.1f ms\n", wall[wall.size() / 2] * 1e3,
                wall.front() * 1e3, wall.back() * 1e3, cpu[cpu.size() / 2] * 1e3);
    return 0;
}
