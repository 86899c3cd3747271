#pragma once
// The station arrays of the window: index 0 is never used, 1..30 are the
// device memory slots or the station keys.

#include <QString>

#include <array>

using TextArray = std::array<QString, 31>;

// One record of Sendername.txt.
struct StationRecord {
    QString name;
    QString freq;
    QString note;
    qint16 flag = 0;
    int line = 0;  // where the record begins in its file, for messages
};

// Records 1..100; index 0 holds nothing.
using StationRecords = std::array<StationRecord, 101>;

// Stands in an empty slot entry while the program runs; never saved.
inline const QString kEmptySlotMarker = QStringLiteral("1111.11");
