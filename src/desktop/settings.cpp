#include "desktop/settings.h"
#include "platform/logging.h"

#include "store/files.h"

#include <QDir>
#include <QFileInfo>


namespace desktop {

namespace {
const QString kDevice = QStringLiteral("serial/device");
const QString kPosition = QStringLiteral("window/position");
}  // namespace

Settings::Settings(const QString &programDir)
    : fileName_(QDir(programDir).filePath(QStringLiteral("pelora.ini")))
{
    const QFileInfo file(fileName_);
    if (file.exists() && (!file.isFile() || file.size() > store::kMaxDataFileBytes)) {
        qCWarning(lcFiles).noquote() << fileName_
                                     << "is not a settings file; the port choice and the window place are not kept";
        return;
    }
    s_ = std::make_unique<QSettings>(fileName_, QSettings::IniFormat);
}

QString Settings::device() const
{
    return s_ ? s_->value(kDevice).toString() : QString();
}

void Settings::setDevice(const QString &path)
{
    if (!s_)
        return;
    if (path.isEmpty())
        s_->remove(kDevice);
    else
        s_->setValue(kDevice, path);
    s_->sync();
}

std::optional<QPoint> Settings::windowPosition() const
{
    const QVariant v = s_ ? s_->value(kPosition) : QVariant();
    if (!v.canConvert<QPoint>() || !v.isValid())
        return std::nullopt;
    return v.toPoint();
}

void Settings::setWindowPosition(const QPoint &p)
{
    if (!s_)
        return;
    s_->setValue(kPosition, p);
    s_->sync();
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
        qCWarning(lcLink).noquote() << savedDevice << "is not there; using the port of config.dat";
        return {};
    }
    return savedDevice;
}

}  // namespace desktop
