#include "platform/logging.h"

#include <cstdio>

Q_LOGGING_CATEGORY(lcLink, "pelora.link")
Q_LOGGING_CATEGORY(lcFiles, "pelora.files")
Q_LOGGING_CATEGORY(lcAutomation, "pelora.automation")
Q_LOGGING_CATEGORY(lcDesktop, "pelora.desktop")
Q_LOGGING_CATEGORY(lcHome, "pelora.home")
Q_LOGGING_CATEGORY(lcWeb, "pelora.web")

namespace platform {

namespace {

void toStderr(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QByteArray line = qFormatLogMessage(type, context, message).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

}  // namespace

void logToStderr()
{
    qInstallMessageHandler(toStderr);
}

QString RateLimit::withHeld(QString line, int held)
{
    if (held > 0)
        line += QStringLiteral(" (and %1 more since the last such line)").arg(held);
    return line;
}

bool RateLimit::allow(double now, int *held)
{
    // A clock set back counts as time gone by.
    if (any_ && now - last_ < seconds_ && now >= last_) {
        ++held_;
        return false;
    }
    any_ = true;
    last_ = now;
    if (held)
        *held = held_;
    held_ = 0;
    return true;
}

}  // namespace platform
