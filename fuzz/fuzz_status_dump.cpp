// Any 79 characters as a status dump, decoded by a real window on the
// virtual-time backend. A decoding that meets a bad field stops quietly.

#include "platform/virtual/virtual_platform.h"
#include "ui/form1.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

struct Fixture {
    Fixture()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_status_dump";
        static char *argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        world = std::make_unique<platform::virt::VirtualWorld>(QDateTime(QDate(2026, 12, 7), QTime(10, 0)),
                                                              dir.path());
        form = std::make_unique<Form1>(world->platform);
        world->serial->open();
        // A few station records and keys, so that the station display compares.
        form->stationNames[1] = {QStringLiteral("Eins"), QStringLiteral("102.70"), QStringLiteral("x"), 1};
        form->stationNames[2] = {QStringLiteral("Zwei"), QStringLiteral("1440"), QStringLiteral("y"), 0};
        form->nameRecordEnd = 3;
        form->keyFrequency[1] = QStringLiteral("102.70");
    }
    std::unique_ptr<QApplication> app;
    QTemporaryDir dir;
    std::unique_ptr<platform::virt::VirtualWorld> world;
    std::unique_ptr<Form1> form;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Fixture f;
    for (int k = 0; k < 79; ++k)
        f.form->rxBuffer[size_t(k)] = k < int(size) ? QString(QChar(data[k])) : QString();
    f.form->statusPending = 1;
    runHandler([] { f.form->decodeStatus(); });
    // Let the codes the decoding wrote leave the line now and then, so that
    // the virtual line's queue does not grow without end.
    static unsigned runs = 0;
    if (++runs % 256 == 0)
        f.world->sched.runFor(5.0);
    return 0;
}
