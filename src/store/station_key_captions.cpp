// Form1's station key captions in their three display modes.

#include "store/module1.h"
#include "ui/form1.h"
#include <QCoreApplication>

namespace {

// 1, 2 or 3; 0 for an empty mode or any other value.
int displayMode(const QVariant &mode)
{
    if (!mode.isValid() || mode.isNull())
        return 0;
    bool ok = false;
    const double m = mode.toDouble(&ok);
    if (!ok)
        return 0;
    return m == 1.0 ? 1 : m == 2.0 ? 2 : m == 3.0 ? 3 : 0;
}

}  // namespace

void Form1::showKeyStations()
{
    std::array<model::Station, 31> stations;
    for (int i = 1; i <= 30; ++i)
        if (!keyFrequency[i].trimmed().isEmpty())
            stations[size_t(i)] = {keyFrequency[i].trimmed(), keyName[i] == keyFrequency[i] ? QString() : keyName[i],
                                   keyNote[i] == keyFrequency[i] ? QString() : keyNote[i]};
    hifi_.setKeyStations(stations);
}

bool Form1::refreshStationKeys()
{
    const int mode = displayMode(stationKeyMode);
    bool applied = false;
    bool reloaded = true;
    if (mode == 1) {
        // The reload brings the keys back into slot order. Only the station
        // files are read again: the timer rows and the fallback station are
        // the user's choices of this run. A reload that fails leaves memory,
        // captions and mode as they were: the keys still tune what they show.
        QString error;
        if (reloadStationFiles(&error)) {
            for (int i = 1; i <= 30; ++i)
                stationT[i]->setText(slotFrequency[i]);
            applied = true;
        } else {
            reloaded = false;
            plat.messages->showOk(QCoreApplication::translate("Configuration",
                                                              "Die Senderliste konnte nicht neu geladen werden. %1 "
                                                              "Die Stationstasten bleiben, wie sie waren.")
                                      .arg(error));
        }
    } else if (mode == 2) {
        sortKeyArrays(keyName, keyFrequency, keyNote, 1, 30, *plat.random);
        for (int i = 1; i <= 30; ++i)
            stationT[i]->setText(keyName[i]);
        applied = true;
    } else if (mode == 3) {
        sortKeyArrays(keyNote, keyName, keyFrequency, 1, 30, *plat.random);
        for (int i = 1; i <= 30; ++i)
            stationT[i]->setText(keyNote[i]);
        applied = true;
    }

    if (applied) {
        showKeyStations();
        nameStationKeys();
        showStation(QVariant(currentFrequency));
        stationKeyMode = mode;
    }
    vergroessern_Click();
    return reloaded;
}
