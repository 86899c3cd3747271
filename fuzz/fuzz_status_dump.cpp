// Any 79 characters as a status dump, decoded by a real window on the
// virtual-time backend. A decoding that meets a bad field stops quietly.

#include "fuzz_window.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

char programName[] = "fuzz_status_dump";

struct Fixture : FuzzWindow {
    Fixture() : FuzzWindow(programName)
    {
        // A few station records and keys, so that the station display compares.
        form->stationNames[1] = {QStringLiteral("Eins"), QStringLiteral("102.70"), QStringLiteral("x"), 1};
        form->stationNames[2] = {QStringLiteral("Zwei"), QStringLiteral("1440"), QStringLiteral("y"), 0};
        form->nameRecordEnd = 3;
        form->keyFrequency[1] = QStringLiteral("102.70");
    }
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
