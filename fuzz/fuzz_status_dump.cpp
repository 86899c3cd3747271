// Any characters as the device's answer to a status request, through the
// receive path into the decoding of a real window on the virtual-time
// backend. Whatever arrives, what the decoding promises holds: nothing is
// decoded from fewer than 79 characters, a dump either shows the two
// characters of its volume field or, its fields broken, changes nothing,
// every level stays within its slider's range, and a bad field ends the
// decoding quietly.

#include "fuzz_window.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

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

// What a decoding shows.
struct Shown {
    std::array<QString, 4> readOuts;
    std::array<int, 4> sliders;
    QVariant frequency;
    bool operator==(const Shown &) const = default;
};

Shown shown(const Form1 &w)
{
    Shown s{{w.volA->text(), w.balA->text(), w.bassA->text(), w.trebA->text()}, {}, w.currentFrequency};
    for (size_t i = 0; i < 4; ++i)
        s.sliders[i] = w.levelSliders()[i]->value();
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Fixture f;
    Form1 &w = *f.form;
    // Fewer than two dumps: the rest of one answer may begin the exchange
    // that a change of band asks for, but cannot complete it.
    const QByteArray answer(reinterpret_cast<const char *>(data), qsizetype(std::min<std::size_t>(size, 150)));
    f.world->serial->clearLog();
    runHandler([&] { w.requestStatus(); });
    const Shown before = shown(w);
    f.world->serial->injectFromDevice(answer);
    // The answer, the watches of the exchange, and what the decoding set
    // going (a change of source waits).
    f.world->sched.runFor(double(answer.size()) / 30.0 + 4.0);

    for (size_t i = 0; i < 4; ++i) {
        const LevelSlider *s = w.levelSliders()[i];
        const int level = w.hifi().level(model::Level(i));
        if (level < s->minimum() || level > s->maximum() || s->value() < s->minimum() || s->value() > s->maximum())
            __builtin_trap();
    }
    if (answer.size() < 79 && shown(w) != before)
        __builtin_trap();
    if (answer.size() >= 79 && w.volA->text() != QString::fromLatin1(answer.mid(9, 2)) && shown(w) != before)
        __builtin_trap();
    return 0;
}
