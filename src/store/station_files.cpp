#include "store/station_files.h"

#include "store/frequency.h"
#include "store/write_format.h"

#include <QCoreApplication>
#include <string>

namespace store {

TextArray parseStationMemory(const QByteArray &bytes, SlotLines *lines)
{
    FieldReader in = FieldReader::fromBytes(bytes);
    TextArray memory;
    for (int i = 1; i <= kSlotCount; ++i) {
        memory[i] = in.readText();
        if (lines)
            (*lines)[i] = in.lastFieldLine();
    }
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
        if (i > kMaxStationRecords) {
            in.readText();  // the record too many, for its line
            throw FormatError(QCoreApplication::translate("StationFiles", "Zeile %1: mehr als 100 Sender")
                                  .arg(in.lastFieldLine())
                                  .toStdString());
        }
        StationRecord &r = list.records[i];
        r.freq = in.readText();
        r.line = in.lastFieldLine();
        r.name = in.readText();
        r.note = in.readText();
        r.flag = in.readInt16();
        ++i;
    }
    list.end = i;
    return list;
}

void buildKeyCaptions(const TextArray &keyFrequency, const StationRecords &records, int recordEnd,
                      TextArray &keyName, TextArray &keyNote, const SlotLines *keyLines)
{
    for (int j = 1; j <= kSlotCount; ++j) {
        keyName[j] = keyFrequency[j];
        keyNote[j] = keyFrequency[j];
        if (keyFrequency[j].isEmpty() || recordEnd <= 1)
            continue;
        long long key = 0;
        try {
            key = frequencyNumber(keyFrequency[j]);
        } catch (const ConversionError &) {
            const QString line =
                keyLines ? QCoreApplication::translate("StationFiles", "Zeile %1 (Platz %2)").arg((*keyLines)[j]).arg(j)
                         : QCoreApplication::translate("StationFiles", "Platz %1").arg(j);
            throw ConversionError(
                QCoreApplication::translate("StationFiles", "Speicherplatz.txt: %1 hält keine Frequenz (\"%2\")")
                    .arg(line, keyFrequency[j])
                    .toStdString());
        }
        for (int k = 1; k < recordEnd; ++k) {
            long long record = 0;
            try {
                record = frequencyNumber(records[k].freq);
            } catch (const ConversionError &) {
                throw ConversionError(
                    QCoreApplication::translate("StationFiles",
                                                "Sendername.txt: Zeile %1 (Eintrag %2) hält keine Frequenz (\"%3\")")
                        .arg(records[k].line)
                        .arg(k)
                        .arg(records[k].freq)
                        .toStdString());
            }
            if (record == key) {
                keyName[j] = records[k].name;
                keyNote[j] = records[k].note;
            }
        }
    }
}

}  // namespace store
