// Any text as a frequency: a number or a conversion error, never a crash
// and never a value the rounding rule denies.

#include "store/frequency.h"
#include "store/write_format.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = store::decodeWindows1252(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    try {
        const double v = store::germanNumber(text);
        const long long n = store::frequencyNumber(text);
        if (std::isfinite(v) && std::fabs(v) < 1e15 && (double(n) > v || double(n) + 1 <= v))
            __builtin_trap();
    } catch (const store::ConversionError &) {
    }
    try {
        store::frequencyNumber(QVariant(text));
    } catch (const store::ConversionError &) {
    }
    return 0;
}
