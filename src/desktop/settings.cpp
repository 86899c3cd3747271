#include "desktop/settings.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace desktop {

namespace {
const QString kDevice = QStringLiteral("serial/device");
const QString kPosition = QStringLiteral("window/position");
}  // namespace

Settings::Settings(const QString &programDir)
    : s_(QDir(programDir).filePath(QStringLiteral("pelora.ini")), QSettings::IniFormat)
{
}

QString Settings::device() const
{
    return s_.value(kDevice).toString();
}

void Settings::setDevice(const QString &path)
{
    if (path.isEmpty())
        s_.remove(kDevice);
    else
        s_.setValue(kDevice, path);
    s_.sync();
}

std::optional<QPoint> Settings::windowPosition() const
{
    const QVariant v = s_.value(kPosition);
    if (!v.canConvert<QPoint>() || !v.isValid())
        return std::nullopt;
    return v.toPoint();
}

void Settings::setWindowPosition(const QPoint &p)
{
    s_.setValue(kPosition, p);
    s_.sync();
}

QString startDevice(const QString &commandLinePort, const QString &savedDevice)
{
    if (!commandLinePort.isEmpty())
        return commandLinePort;
    if (savedDevice.isEmpty())
        return {};
    // An adapter that is not plugged in must not end the start: its
    // choice stays saved, and the COM<n> entry serves this run.
    if (!QFileInfo::exists(savedDevice)) {
        std::fprintf(stderr, "pelora: %s is not there; using the port of config.dat\n", qPrintable(savedDevice));
        return {};
    }
    return savedDevice;
}

}  // namespace desktop
