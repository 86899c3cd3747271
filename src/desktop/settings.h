#pragma once
// pelora.ini beside the data files: the serial device chosen from the port
// list and the window's place. config.dat keeps its own fields unchanged.

#include <QList>
#include <QPoint>
#include <QRect>
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

// Where a window whose frame was saved at `frame` goes so that the whole of
// it is seen. `screens` are the screens' available areas, the primary
// first. The screen the frame overlaps most takes it (the nearest when it
// overlaps none, the first of equals); a frame larger than that screen
// keeps its top-left corner on the screen's.
QPoint placeOnScreen(const QRect &frame, const QList<QRect> &screens);

// The device for this run, in this order: the command line, then the
// device saved in the settings (while it exists; one that does not open
// gives way at the start, Form1::comPortFallback), then empty: the
// platform's COM<n> entry, else /dev/ttyS<n-1>.
QString startDevice(const QString &commandLinePort, const QString &savedDevice);

}  // namespace desktop
