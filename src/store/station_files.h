#pragma once
// Speicherplatz.txt (the frequency text of each of the 30 device memory
// slots) and Sendername.txt (up to 100 known stations), and the key
// captions built from them.

#include "store/station_arrays.h"

#include <QByteArray>

namespace store {

inline constexpr int kSlotCount = 30;
inline constexpr int kMaxStationRecords = 100;

// The line (from 1) where each slot's field begins, for messages.
using SlotLines = std::array<int, 31>;

// Slots 1..30 of the file; fields after the 30th are ignored. Throws
// FormatError when there are fewer.
TextArray parseStationMemory(const QByteArray &bytes, SlotLines *lines = nullptr);
// One quoted text per line, slot 1 first. The empty-slot marker is turned
// back into empty text in `memory` itself before it is written.
QByteArray writeStationMemory(TextArray &memory);

struct StationNameList {
    StationRecords records;
    int end = 1;  // one past the last record read
};

// Throws FormatError for a 101st record or a record cut short.
StationNameList parseStationNames(const QByteArray &bytes);

// keyName(j) and keyNote(j) of every key: the name and note of the last
// record whose frequency number equals that of keyFrequency(j), else the
// frequency text itself. A frequency that does not convert throws
// ConversionError, naming its file and line, once it is compared.
void buildKeyCaptions(const TextArray &keyFrequency, const StationRecords &records, int recordEnd,
                      TextArray &keyName, TextArray &keyNote, const SlotLines *keyLines = nullptr);

}  // namespace store
