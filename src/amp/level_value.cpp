#include "amp/level_value.h"

#include "store/frequency.h"

#include <cmath>

namespace amp {

long long wholeLevel(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    double v = 0;
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text.isEmpty())
            return 0;
        v = store::germanNumber(text);
    } else {
        bool ok = false;
        v = value.toDouble(&ok);
        if (!ok)
            throw store::ConversionError("not a level");
    }
    // Levels are small; anything beyond this is garbage, not a level.
    if (!std::isfinite(v) || std::fabs(v) > 1.0e6)
        throw store::ConversionError("level out of range");
    return static_cast<long long>(std::floor(v));
}

}  // namespace amp
