#pragma once
// pelora.ini beside the data files: the serial device chosen from the port
// list and the window's place. config.dat keeps its own fields unchanged.

#include <QPoint>
#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

namespace desktop {

class Settings {
public:
    explicit Settings(const QString &programDir);

    // The device chosen from the port list; empty: the COM<n> entry.
    QString device() const;
    void setDevice(const QString &path);

    std::optional<QPoint> windowPosition() const;
    void setWindowPosition(const QPoint &p);

private:
    // The file is a small regular text file, or none is there yet; a note
    // on stderr when not.
    bool usable() const;

    QString fileName_;
    // None when the name leads to something other than a small text file:
    // it is then neither read nor ever written.
    mutable std::unique_ptr<QSettings> s_;
};

// The device for this run, in this order: the command line, then the
// device saved in the settings (while it exists; one that does not open
// gives way at the start, Form1::comPortFallback), then empty: the
// platform's COM<n> entry, else /dev/ttyS<n-1>.
QString startDevice(const QString &commandLinePort, const QString &savedDevice);

}  // namespace desktop
