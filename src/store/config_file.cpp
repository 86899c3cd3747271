#include "store/config_file.h"

#include "store/write_format.h"

namespace store {

namespace {

// Empty, a number, or a text kept as it stands: a mode the window does not
// know leaves the keys as they are, and the save writes it back.
QVariant modeAsRead(const Field &field)
{
    try {
        return numberOf(field);
    } catch (const FormatError &) {
        return field.text;
    }
}

}  // namespace

Configuration parseConfiguration(const QByteArray &bytes)
{
    FieldReader in = FieldReader::fromBytes(bytes);
    Configuration c;
    c.comPort = in.readInt16();
    c.stationKeyMode = modeAsRead(in.read());
    for (int i = 0; i < 9; ++i)
        in.read();  // reserved; whatever stands there is dropped
    c.largeWindow = in.readNumberOrEmpty();
    c.fallbackIndex = in.readInt16();
    for (TimerRow &row : c.rows) {
        row.weekday = in.readInt16();
        row.hour = in.readInt16();
        row.minute = in.readInt16();
        row.station = in.readInt16();
    }
    return c;
}

QByteArray writeConfiguration(const Configuration &c)
{
    FieldWriter out;
    out.writeNumber(c.comPort);
    out.writeValue(c.stationKeyMode);
    for (int i = 0; i < 9; ++i)
        out.writeEmpty();
    out.writeValue(c.largeWindow);
    out.writeNumber(c.fallbackIndex);
    out.endRecord();
    for (const TimerRow &row : c.rows) {
        out.writeNumber(row.weekday);
        out.writeNumber(row.hour);
        out.writeNumber(row.minute);
        out.writeNumber(row.station);
        out.endRecord();
    }
    return out.bytes();
}

}  // namespace store
