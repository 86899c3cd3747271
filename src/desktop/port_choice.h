#pragma once
// The serial port chosen from a list on the configuration view: the
// serial devices the system reports (stable /dev/serial/by-id/ names where
// there are any) and the COM<n> entry of config.dat's port number.
// Choosing one reopens the line at once and remembers it in pelora.ini.

#include "model/door.h"
#include "platform/platform.h"
#include "ui/widgets.h"

#include <QComboBox>
#include <QList>
#include <QString>

namespace desktop {

class Settings;

struct PortEntry {
    QString device;  // empty: the COM<n> entry
    QString label;
    bool operator==(const PortEntry &) const = default;
};

// The entries to choose from: the COM<n> entry, then the devices the system
// reports (`system`), by their stable names where `byIdDir` holds links to
// them; `used` (the devices used in this run, such as a pseudo-terminal
// given with --port) are listed too if no other entry names them.
QList<PortEntry> portEntries(int portNumber, const QString &programDir, const QList<platform::SystemPort> &system,
                             const QStringList &used, const QString &byIdDir = QStringLiteral("/dev/serial/by-id"));

class PortChoice : public ChoiceBox {
    Q_OBJECT
public:
    // `listPorts` asks the system for its serial devices; `programDir`
    // holds the COM<n> entry.
    PortChoice(model::Door &door, Settings &settings, std::function<QList<platform::SystemPort>()> listPorts,
               QString programDir, QWidget *parent);

    // Lists the ports, with the one in use selected. `readSystem` reads
    // the system's devices anew; otherwise those last read are listed.
    void refresh(bool readSystem = false);
    // Takes the entry at `index`, as a choice from the list does.
    void choose(int index);

protected:
    // The system's devices are read anew each time the list opens or the
    // keyboard comes to it: adapters come and go.
    void showPopup() override;
    void focusInEvent(QFocusEvent *e) override;

private:
    model::Door &door_;
    Settings &settings_;
    std::function<QList<platform::SystemPort>()> listPorts_;
    QString programDir_;
    QList<platform::SystemPort> system_;  // as last read
    QStringList used_;
};

// Builds the port choice and its caption in `place`, the window's place
// for it beside the source display, shown with the configuration panels.
PortChoice *addPortChoice(model::Door &door, Settings &settings, const platform::Platform &platform,
                          QWidget *place);

}  // namespace desktop
