#include "home/payloads.h"

#include <QStringDecoder>

#include <cmath>

namespace home {

const char *describe(BadInput why)
{
    switch (why) {
    case BadInput::None: return "fine";
    case BadInput::TooLong: return "longer than 256 bytes";
    case BadInput::NotUtf8: return "not UTF-8";
    case BadInput::UnknownTopic: return "no such command topic";
    case BadInput::UnknownOption: return "no such option";
    case BadInput::NotANumber: return "not a whole number";
    case BadInput::OutOfRange: return "out of range";
    }
    return "?";
}

namespace {

template <typename T>
std::optional<T> refuse(BadInput *why, BadInput reason)
{
    if (why)
        *why = reason;
    return std::nullopt;
}

}  // namespace

std::optional<QString> payloadText(const QByteArray &payload, BadInput *why)
{
    if (payload.size() > kMaxPayloadBytes)
        return refuse<QString>(why, BadInput::TooLong);
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(payload);
    if (decode.hasError() || text.contains(QChar(0)))
        return refuse<QString>(why, BadInput::NotUtf8);
    return text;
}

std::optional<int> parseLevel(const QString &text, int min, int max, BadInput *why)
{
    const QString t = text.trimmed();
    bool ok = false;
    // Digits, a sign and a point only: no "0x10", "1e2", "inf" or "nan".
    for (const QChar c : t)
        if (!(c.isDigit() && c.unicode() < 128) && c != u'-' && c != u'+' && c != u'.')
            return refuse<int>(why, BadInput::NotANumber);
    const double v = t.toDouble(&ok);
    if (!ok || std::floor(v) != v)
        return refuse<int>(why, BadInput::NotANumber);
    if (v < min || v > max)
        return refuse<int>(why, BadInput::OutOfRange);
    return int(v);
}

std::optional<bool> parseOnOff(const QString &text, BadInput *why)
{
    if (text == QLatin1String("ON"))
        return true;
    if (text == QLatin1String("OFF"))
        return false;
    return refuse<bool>(why, BadInput::UnknownOption);
}

int optionIndex(const QStringList &options, const QString &text, BadInput *why)
{
    const int i = text.isEmpty() ? -1 : int(options.indexOf(text));
    if (i < 0 && why)
        *why = BadInput::UnknownOption;
    return i;
}

}  // namespace home
