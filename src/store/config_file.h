#pragma once
// config.dat: line 1 holds the port, the station key mode, nine reserved
// fields, the window size flag and the fallback station; lines 2 to 4 hold
// one switch-timer row each. The file keeps list indexes, not list texts.

#include <QByteArray>
#include <QVariant>

#include <array>

namespace store {

struct TimerRow {
    qint16 weekday = 0;
    qint16 hour = 0;
    qint16 minute = 0;
    qint16 station = 0;
};

struct Configuration {
    qint16 comPort = 0;
    QVariant stationKeyMode;  // invalid = empty
    QVariant largeWindow;     // invalid = empty
    qint16 fallbackIndex = -1;
    std::array<TimerRow, 3> rows;
};

// Throws FormatError when fields are missing or a value is no number.
Configuration parseConfiguration(const QByteArray &bytes);
QByteArray writeConfiguration(const Configuration &config);

}  // namespace store
