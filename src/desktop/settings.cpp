#include "desktop/settings.h"
#include "platform/logging.h"

#include "store/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>


namespace desktop {

namespace {
const QString kDevice = QStringLiteral("serial/device");
const QString kPosition = QStringLiteral("window/position");
}  // namespace

namespace {

// Why `path` cannot be the settings file, or nothing. QSettings would read
// anything as its file and write a regular file over whatever is there: a
// UTF-16 file or one with NUL bytes becomes garbage, a link to a device or
// to itself becomes a plain file.
QString unusableBecause(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};  // made at the first save
    if (!info.exists())
        return QCoreApplication::translate("Settings", "sie ist ein Verweis, der nirgends hinführt");
    QString error;
    const std::optional<QByteArray> bytes = store::readWholeFile(path, &error);
    if (!bytes)
        return error;
    for (const char c : *bytes)
        if (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return QCoreApplication::translate("Settings", "sie ist keine Textdatei");
    QStringDecoder utf8(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = utf8.decode(*bytes);
    if (utf8.hasError())
        return QCoreApplication::translate("Settings", "sie ist kein UTF-8-Text");
    return {};
}

}  // namespace

Settings::Settings(const QString &programDir)
    : fileName_(QDir(programDir).filePath(QStringLiteral("pelora.ini")))
{
    if (!usable())
        return;
    s_ = std::make_unique<QSettings>(fileName_, QSettings::IniFormat);
}

bool Settings::usable() const
{
    const QString why = unusableBecause(fileName_);
    if (why.isEmpty())
        return true;
    qCWarning(lcFiles).noquote() << fileName_ << "is left as it is (" << why
                                 << "); the port choice and the window place are not kept";
    return false;
}

QString Settings::device() const
{
    return s_ ? s_->value(kDevice).toString() : QString();
}

void Settings::setDevice(const QString &path)
{
    // Looked at again: the file may have been replaced since the start.
    if (!s_ || !usable())
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
    if (!s_ || !usable())
        return;
    s_->setValue(kPosition, p);
    s_->sync();
}

QPoint placeOnScreen(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return frame.topLeft();
    // A position saved at another scale, or on a screen since taken away,
    // is often only partly on a screen now.
    auto overlap = [&frame](const QRect &s) {
        const QRect r = s.intersected(frame);
        return qint64(r.width()) * r.height();
    };
    auto gap = [&frame](const QRect &s) {
        const qint64 dx = std::max({0, s.left() - frame.right(), frame.left() - s.right()});
        const qint64 dy = std::max({0, s.top() - frame.bottom(), frame.top() - s.bottom()});
        return dx * dx + dy * dy;
    };
    QRect best = screens.front();
    for (const QRect &s : screens)
        if (overlap(s) > overlap(best) || (overlap(best) == 0 && overlap(s) == 0 && gap(s) < gap(best)))
            best = s;
    // Inside the screen; where it is too small, the top and left edges
    // stay on it, where the title bar and the window's start are.
    const int x = std::max(best.left(), std::min(frame.left(), best.right() + 1 - frame.width()));
    const int y = std::max(best.top(), std::min(frame.top(), best.bottom() + 1 - frame.height()));
    return {x, y};
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
