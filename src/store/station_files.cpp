#include "store/station_files.h"

#include "store/frequency.h"
#include "store/write_format.h"

namespace store {

TextArray parseStationMemory(const QByteArray &bytes)
{
    FieldReader in = FieldReader::fromBytes(bytes);
    TextArray memory;
    for (int i = 1; i <= kSlotCount; ++i)
        memory[i] = in.readText();
    return memory;
}

QByteArray writeStationMemory(TextArray &memory)
{
    FieldWriter out;
    for (int i = 1; i <= kSlotCount; ++i) {
        if (memory[i] == kEmptySlotMarker)
            memory[i].clear();
        out.writeText(memory[i]);
        out.endRecord();
    }
    return out.bytes();
}

StationNameList parseStationNames(const QByteArray &bytes)
{
    FieldReader in = FieldReader::fromBytes(bytes);
    StationNameList list;
    int i = 1;
    while (!in.atEnd()) {
        if (i > kMaxStationRecords)
            throw FormatError("more than 100 station records");
        StationRecord &r = list.records[i];
        r.freq = in.readText();
        r.name = in.readText();
        r.note = in.readText();
        r.flag = in.readInt16();
        ++i;
    }
    list.end = i;
    return list;
}

void buildKeyCaptions(const TextArray &keyFrequency, const StationRecords &records, int recordEnd,
                      TextArray &keyName, TextArray &keyNote)
{
    for (int j = 1; j <= kSlotCount; ++j) {
        keyName[j] = keyFrequency[j];
        keyNote[j] = keyFrequency[j];
        if (keyFrequency[j].isEmpty() || recordEnd <= 1)
            continue;
        const long long key = frequencyNumber(keyFrequency[j]);
        for (int k = 1; k < recordEnd; ++k) {
            if (frequencyNumber(records[k].freq) == key) {
                keyName[j] = records[k].name;
                keyNote[j] = records[k].note;
            }
        }
    }
}

}  // namespace store
