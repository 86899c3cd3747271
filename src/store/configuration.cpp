// Form1's load and save of config.dat, Speicherplatz.txt and Sendername.txt.

#include "platform/logging.h"
#include "store/config_file.h"
#include "store/files.h"
#include "store/station_files.h"
#include "store/write_format.h"
#include "ui/form1.h"
#include <QCoreApplication>

namespace {

const QString kConfigFile = QStringLiteral("config.dat");
const QString kMemoryFile = QStringLiteral("Speicherplatz.txt");
const QString kNamesFile = QStringLiteral("Sendername.txt");

// The station files and the key captions built from them.
struct StationFiles {
    TextArray memory;
    store::SlotLines memoryLines{};
    store::StationNameList names;
    TextArray keyName;
    TextArray keyNote;
};

// A load that cannot go on; the text names the file and the reason.
struct LoadFailure {
    QString text;
};

QByteArray readDataFile(const QString &dir, const QString &name)
{
    QString reason;
    const std::optional<QByteArray> bytes = store::readWholeFile(store::findFile(dir, name), &reason);
    if (!bytes)
        throw LoadFailure{QCoreApplication::translate("Configuration", "Die Datei %1 kann nicht gelesen werden: %2.")
                              .arg(name, reason)};
    return *bytes;
}

template <typename F>
auto parseDataFile(const QString &dir, const QString &name, F parse)
{
    const QByteArray bytes = readDataFile(dir, name);
    try {
        return parse(bytes);
    } catch (const std::exception &e) {
        throw LoadFailure{QCoreApplication::translate("Configuration", "Die Datei %1 ist fehlerhaft: %2.")
                              .arg(name, QString::fromUtf8(e.what()))};
    }
}

void checkListIndex(const QComboBox *box, qint16 index, const QString &what)
{
    if (index < -1 || index >= box->count())
        throw LoadFailure{QCoreApplication::translate("Configuration",
                                                      "Die Datei %1 ist fehlerhaft: %2 %3 liegt außerhalb der Liste.")
                              .arg(kConfigFile, what)
                              .arg(index)};
}

bool isZeroOrEmpty(const QVariant &v)
{
    return !v.isValid() || v.isNull() || v.toDouble() == 0.0;
}

StationFiles readStationFiles(const QString &dir)
{
    StationFiles in;
    in.memory = parseDataFile(dir, kMemoryFile,
                              [&in](const QByteArray &b) { return store::parseStationMemory(b, &in.memoryLines); });
    in.names = parseDataFile(dir, kNamesFile, store::parseStationNames);
    try {
        store::buildKeyCaptions(in.memory, in.names.records, in.names.end, in.keyName, in.keyNote, &in.memoryLines);
    } catch (const std::exception &e) {
        throw LoadFailure{QString::fromUtf8(e.what()) + u'.'};
    }
    return in;
}

void takeStationFiles(Form1 &f, const StationFiles &in)
{
    f.slotFrequency = in.memory;
    f.keyFrequency = in.memory;
    f.keyName = in.keyName;
    f.keyNote = in.keyNote;
    f.stationNames = in.names.records;
    f.nameRecordEnd = in.names.end;
}

}  // namespace

bool Form1::GetConfiguration(QString *error)
{
    const QString dir = plat.programDir;
    // A save that a kill cut short is undone before anything is read.
    const QStringList recovered = store::recoverInterruptedSaves(plat.stateDir, dir);
    for (const QString &note : recovered) {
        qCWarning(lcFiles).noquote() << note;
        plat.messages->showOk(note);
    }
    store::removeLeftoversOfSaves(dir, {kConfigFile, kMemoryFile, QStringLiteral("pelora.ini")}, plat.stateDir);
    store::Configuration config;
    StationFiles stations;
    try {
        config = parseDataFile(dir, kConfigFile, store::parseConfiguration);
        checkListIndex(Ausweichsender, config.fallbackIndex,
                       QCoreApplication::translate("Configuration", "Ausweichsender"));
        for (int i = 0; i < 3; ++i) {
            const store::TimerRow &row = config.rows[i];
            checkListIndex(Woche[i], row.weekday, QCoreApplication::translate("Configuration", "Tag"));
            checkListIndex(stunde[i], row.hour, QCoreApplication::translate("Configuration", "Stunde"));
            checkListIndex(minuten[i], row.minute, QCoreApplication::translate("Configuration", "Minute"));
            checkListIndex(sender[i], row.station, QCoreApplication::translate("Configuration", "Sender"));
        }
        stations = readStationFiles(dir);
    } catch (const LoadFailure &f) {
        if (error)
            *error = f.text;
        return false;
    }

    // Nothing failed: now the window takes it all.
    comPort = config.comPort;
    stationKeyMode = config.stationKeyMode;
    largeWindow = config.largeWindow;
    Ausweichsender->setCurrentIndex(config.fallbackIndex);
    for (int i = 0; i < 3; ++i) {
        const store::TimerRow &row = config.rows[i];
        Woche[i]->setCurrentIndex(row.weekday);
        stunde[i]->setCurrentIndex(row.hour);
        minuten[i]->setCurrentIndex(row.minute);
        sender[i]->setCurrentIndex(row.station);
    }
    takeStationFiles(*this, stations);

    if (isZeroOrEmpty(largeWindow))
        verkleinern_Click();
    return true;
}

bool Form1::reloadStationFiles(QString *error)
{
    try {
        takeStationFiles(*this, readStationFiles(plat.programDir));
        return true;
    } catch (const LoadFailure &f) {
        if (error)
            *error = f.text;
        return false;
    }
}

namespace {

// The reason the file could not be written, or nothing.
QString writeDataFile(const platform::Platform &plat, const QString &name, const QByteArray &bytes)
{
    QString reason;
    QString notice;
    bool oldKept = true;
    if (store::writeFileAtomically(store::findFile(plat.programDir, name), bytes, plat.stateDir, &reason, &oldKept,
                                   &notice)) {
        if (!notice.isEmpty())
            qCWarning(lcFiles).noquote() << notice;
        return {};
    }
    return QCoreApplication::translate("Configuration", "Die Datei %1 konnte nicht gespeichert werden (%2). %3")
        .arg(name, reason,
             oldKept ? QCoreApplication::translate("Configuration", "Die bisherige Datei bleibt erhalten.")
                     : QCoreApplication::translate("Configuration",
                                                   "Auch die bisherige Datei konnte nicht wiederhergestellt werden."));
}

}  // namespace

bool Form1::saveStationMemory()
{
    const QString failure = writeDataFile(plat, kMemoryFile, store::writeStationMemory(slotFrequency));
    if (!failure.isEmpty()) {
        qCWarning(lcFiles).noquote() << failure;
        plat.messages->showOk(failure);
    }
    return failure.isEmpty();
}

bool Form1::saveConfiguration()
{
    const QString failures = writeDataFiles();
    // One box for both files: a directory that cannot be written fails both.
    // Logged as well: a close by a signal may leave nobody to read the box.
    if (!failures.isEmpty()) {
        qCWarning(lcFiles).noquote() << failures;
        plat.messages->showOk(failures);
    }
    return failures.isEmpty();
}

void Form1::saveForSession(const std::function<bool()> &allowsInteraction)
{
    if (unloaded_)
        return;  // saved at the close
    const QString failures = writeDataFiles();
    if (failures.isEmpty())
        return;
    qCWarning(lcFiles).noquote() << failures;
    if (allowsInteraction())
        plat.messages->showOk(failures);
}

QString Form1::writeDataFiles()
{
    QStringList failures;
    const QString memory = writeDataFile(plat, kMemoryFile, store::writeStationMemory(slotFrequency));
    if (!memory.isEmpty())
        failures << memory;

    store::Configuration c;
    c.comPort = comPort;
    c.stationKeyMode = stationKeyMode;
    c.largeWindow = largeWindow;
    c.fallbackIndex = qint16(Ausweichsender->currentIndex());
    for (int i = 0; i < 3; ++i) {
        c.rows[i] = {qint16(Woche[i]->currentIndex()), qint16(stunde[i]->currentIndex()),
                     qint16(minuten[i]->currentIndex()), qint16(sender[i]->currentIndex())};
    }
    const QString config = writeDataFile(plat, kConfigFile, store::writeConfiguration(c));
    if (!config.isEmpty())
        failures << config;

    return failures.join(u'\n');
}
