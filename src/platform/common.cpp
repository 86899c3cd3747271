#include "platform/common.h"

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QFileInfo>

#include <thread>
#include <utility>

namespace platform {

QByteArray BufferedSerialPort::input()
{
    if (rx_.isEmpty())
        return {};
    QByteArray c = rx_.left(1);
    rx_.remove(0, 1);
    ++taken_;
    return c;
}

QByteArray BufferedSerialPort::inputAll()
{
    taken_ += quint64(rx_.size());
    return std::exchange(rx_, QByteArray());
}

void BufferedSerialPort::deliver(const QByteArray &bytes)
{
    rx_.append(bytes.left(kInBufferSize - rx_.size()));
    // A handler may wait and so run this loop again from inside; whichever
    // loop runs takes the next character, so the order is kept.
    while (!rx_.isEmpty()) {
        const quint64 before = taken_;
        if (onComm)
            onComm(Received);
        if (taken_ == before && !rx_.isEmpty()) {
            rx_.remove(0, 1);  // a handler that did not read drops its character
            ++taken_;
        }
    }
}

double MtRandom::next()
{
    return double(gen_() >> 11) * 0x1.0p-53;
}

bool parseLineSettings(const QString &text, LineSettings *out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    LineSettings s;
    s.baud = parts[0].trimmed().toInt(&ok1);
    const QString parity = parts[1].trimmed().toUpper();
    s.dataBits = parts[2].trimmed().toInt(&ok2);
    s.stopBits = parts[3].trimmed().toInt(&ok3);
    if (!ok1 || !ok2 || !ok3 || parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity) || s.baud <= 0 ||
        s.dataBits < 5 || s.dataBits > 8 || (s.stopBits != 1 && s.stopBits != 2))
        return false;
    s.parity = parity[0].toLatin1();
    *out = s;
    return true;
}

QString portDeviceName(int n, const QString &programDir, bool *viaLink)
{
    if (viaLink)
        *viaLink = false;
#ifdef Q_OS_WIN
    Q_UNUSED(programDir);
    return QStringLiteral("COM%1").arg(n);
#else
    const QString link = QDir(programDir).filePath(QStringLiteral("COM%1").arg(n));
    const QFileInfo info(link);
    if (info.exists() || info.isSymLink()) {
        if (viaLink)
            *viaLink = true;
        return info.isSymLink() ? info.symLinkTarget() : link;
    }
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

}  // namespace platform

namespace platform {
namespace {

class QtSocketWatch : public SocketWatch {
public:
    explicit QtSocketWatch(int fd)
        : read_(new QSocketNotifier(fd, QSocketNotifier::Read)), write_(new QSocketNotifier(fd, QSocketNotifier::Write))
    {
        write_->setEnabled(false);
        QObject::connect(read_, &QSocketNotifier::activated, read_, [this] {
            if (onReadable)
                onReadable();
        });
        QObject::connect(write_, &QSocketNotifier::activated, write_, [this] {
            if (onWritable)
                onWritable();
        });
    }
    ~QtSocketWatch() override
    {
        // The watch may end inside one of its own notifications.
        for (QSocketNotifier *n : {read_, write_}) {
            n->setEnabled(false);
            QObject::disconnect(n, nullptr, nullptr, nullptr);
            n->deleteLater();
        }
    }
    void watchWrite(bool on) override
    {
        if (write_->isEnabled() != on)
            write_->setEnabled(on);
    }

private:
    QSocketNotifier *read_;
    QSocketNotifier *write_;
};

}  // namespace

std::unique_ptr<SocketWatch> makeQtSocketWatch(int fd)
{
    return std::make_unique<QtSocketWatch>(fd);
}

void runInBackground(std::function<void()> work, std::function<void()> done)
{
    // Detached: a lookup that hangs must not hold up the program's end.
    std::thread([work = std::move(work), done = std::move(done)]() mutable {
        work();
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(done), Qt::QueuedConnection);
    }).detach();
}

}  // namespace platform
