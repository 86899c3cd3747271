// Any bytes as config.dat, Speicherplatz.txt or Sendername.txt: the readers
// either take them or report a format error; nothing else may happen. What
// config.dat and Speicherplatz.txt give is saved and read back unchanged.

#include "store/config_file.h"
#include "store/frequency.h"
#include "store/station_files.h"
#include "store/write_format.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        // What is read is written and read again unchanged. Numbers are
        // written with 15 significant digits and a double quote inside the
        // mode's text as an apostrophe, so the written form is what must
        // stay the same from the second save on.
        const store::Configuration c = store::parseConfiguration(bytes);
        const QByteArray written = store::writeConfiguration(c);
        const store::Configuration again = store::parseConfiguration(written);
        bool rowsSame = true;
        for (size_t i = 0; i < 3; ++i) {
            const store::TimerRow &r = c.rows[i], &s = again.rows[i];
            rowsSame = rowsSame && r.weekday == s.weekday && r.hour == s.hour && r.minute == s.minute &&
                       r.station == s.station;
        }
        if (again.comPort != c.comPort || again.fallbackIndex != c.fallbackIndex || !rowsSame ||
            again.stationKeyMode.typeId() != c.stationKeyMode.typeId() ||
            again.largeWindow.typeId() != c.largeWindow.typeId() || store::writeConfiguration(again) != written)
            __builtin_trap();
    } catch (const std::runtime_error &) {
    }
    try {
        TextArray memory = store::parseStationMemory(bytes);
        // What is read is written and read again unchanged, but for a double
        // quote inside a text, which is written as an apostrophe.
        TextArray expected = memory;
        const QByteArray again = store::writeStationMemory(memory);
        const TextArray reread = store::parseStationMemory(again);
        for (int i = 1; i <= 30; ++i) {
            QString e = expected[size_t(i)] == kEmptySlotMarker ? QString() : expected[size_t(i)];
            e.replace(QLatin1Char('"'), QLatin1Char('\''));
            if (reread[size_t(i)] != e)
                __builtin_trap();
        }
    } catch (const std::runtime_error &) {
    }
    try {
        store::parseStationNames(bytes);
    } catch (const std::runtime_error &) {
    }
    store::FieldReader reader = store::FieldReader::fromBytes(bytes);
    try {
        for (int i = 0; i < 10000 && !reader.atEnd(); ++i)
            reader.readNumberOrEmpty();
    } catch (const std::runtime_error &) {
    }
    return 0;
}
