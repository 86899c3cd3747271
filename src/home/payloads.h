#pragma once
// Reading what arrives on the command topics. Anything that does not read
// cleanly is refused before the door sees it, so that nothing reaches the
// device from a payload the program does not understand.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace home {

enum class BadInput { None, TooLong, NotUtf8, UnknownTopic, UnknownOption, NotANumber, OutOfRange };
// Words for the log.
const char *describe(BadInput why);

inline constexpr int kMaxPayloadBytes = 256;

// The payload as text: at most kMaxPayloadBytes of UTF-8.
std::optional<QString> payloadText(const QByteArray &payload, BadInput *why);
// A whole number from min to max; "12" and "12.0" (as a number entity may
// send it) read as 12, blanks around it are ignored.
std::optional<int> parseLevel(const QString &text, int min, int max, BadInput *why);
// "ON" or "OFF".
std::optional<bool> parseOnOff(const QString &text, BadInput *why);
// The index of `text` among `options` (exact match), or -1.
int optionIndex(const QStringList &options, const QString &text, BadInput *why);

}  // namespace home
