#pragma once
// The serial port chosen from a list on the configuration view: the
// serial devices the system reports (stable /dev/serial/by-id/ names where
// there are any) and the COM<n> entry of config.dat's port number.
// Choosing one reopens the line at once and remembers it in pelora.ini.

#include "platform/platform.h"

#include <QComboBox>
#include <QList>
#include <QString>

class Form1;
class QLabel;

namespace desktop {

class CallGate;
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

class PortChoice : public QComboBox {
    Q_OBJECT
public:
    PortChoice(Form1 &form, CallGate &gate, Settings &settings, QWidget *parent);

    // Lists the ports as they are now, with the one in use selected.
    void refresh();
    // Takes the entry at `index`, as a choice from the list does.
    void choose(int index);

protected:
    // The list is read anew each time it opens: adapters come and go.
    void showPopup() override;

private:
    Form1 &form_;
    CallGate &gate_;
    Settings &settings_;
    QStringList used_;
};

// Builds the port choice and its caption on the window, beside the source
// display, shown together with the configuration panels.
PortChoice *addPortChoice(Form1 &form, CallGate &gate, Settings &settings);

}  // namespace desktop
