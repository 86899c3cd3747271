// What arrives on the command topics: only clean text and values in range
// get through to the door.

#include "home/mqtt_settings.h"
#include "home/payloads.h"
#include "platform/logging.h"

#include <gtest/gtest.h>

using home::BadInput;

TEST(HomePayloads, TextIsAtMost256BytesOfUtf8)
{
    BadInput why = BadInput::None;
    EXPECT_EQ(home::payloadText(QByteArray(256, 'a'), &why).value_or(QString()).size(), 256);
    EXPECT_FALSE(home::payloadText(QByteArray(257, 'a'), &why));
    EXPECT_EQ(why, BadInput::TooLong);
    EXPECT_EQ(home::payloadText("tape 1", &why), QStringLiteral("tape 1"));
    EXPECT_EQ(home::payloadText("B\xc3\xa4ren", &why), QStringLiteral("B\u00e4ren"));
    for (const QByteArray &bad : {QByteArray("c\xff"), QByteArray("\xc3"), QByteArray("c\0d", 3)}) {
        why = BadInput::None;
        EXPECT_FALSE(home::payloadText(bad, &why)) << bad.toHex().constData();
        EXPECT_EQ(why, BadInput::NotUtf8);
    }
}

TEST(HomePayloads, LevelsAreWholeNumbersInTheSlidersRange)
{
    BadInput why = BadInput::None;
    EXPECT_EQ(home::parseLevel(QStringLiteral("81"), 1, 81, &why), 81);
    EXPECT_EQ(home::parseLevel(QStringLiteral("-80"), -80, 80, &why), -80);
    EXPECT_EQ(home::parseLevel(QStringLiteral(" 12.0 "), 1, 81, &why), 12);  // as a number entity may send it
    for (const char *text : {"82", "0", "-6"}) {
        why = BadInput::None;
        EXPECT_FALSE(home::parseLevel(QLatin1String(text), text[0] == '-' ? -5 : 1, text[0] == '-' ? 5 : 81, &why)) << text;
        EXPECT_EQ(why, BadInput::OutOfRange) << text;
    }
    for (const char *text : {"", "loud", "12.5", "0x10", "1e1", "nan", "inf", "4 5", "\u0663"}) {
        why = BadInput::None;
        EXPECT_FALSE(home::parseLevel(QString::fromUtf8(text), -100, 100, &why)) << text;
        EXPECT_EQ(why, BadInput::NotANumber) << text;
    }
}

TEST(HomePayloads, SwitchesAndOptionsMatchExactly)
{
    BadInput why = BadInput::None;
    EXPECT_EQ(home::parseOnOff(QStringLiteral("ON"), &why), true);
    EXPECT_EQ(home::parseOnOff(QStringLiteral("OFF"), &why), false);
    EXPECT_FALSE(home::parseOnOff(QStringLiteral("on"), &why));
    const QStringList options = {QStringLiteral("tape 1"), QStringLiteral("cd")};
    EXPECT_EQ(home::optionIndex(options, QStringLiteral("cd"), &why), 1);
    EXPECT_EQ(home::optionIndex(options, QStringLiteral("CD"), &why), -1);
    EXPECT_EQ(home::optionIndex(options, QStringLiteral("tape"), &why), -1);
    EXPECT_EQ(why, BadInput::UnknownOption);
}

TEST(HomePayloads, RefusalsAreLoggedOncePerTenSecondsWithTheCountHeldBack)
{
    platform::RateLimit limit(10.0);
    int held = -1;
    EXPECT_TRUE(limit.allow(100.0, &held));
    EXPECT_EQ(held, 0);
    EXPECT_FALSE(limit.allow(100.5, &held));
    EXPECT_FALSE(limit.allow(109.9, &held));
    EXPECT_TRUE(limit.allow(110.0, &held));
    EXPECT_EQ(held, 2);
}

TEST(HomeSettings, MqttOptionTakesAHostAndAPort)
{
    QString host;
    int port = -1;
    EXPECT_TRUE(home::parseHostPort(QStringLiteral("broker.local"), &host, &port));
    EXPECT_EQ(host, QStringLiteral("broker.local"));
    EXPECT_EQ(port, 0);
    EXPECT_TRUE(home::parseHostPort(QStringLiteral("127.0.0.1:18830"), &host, &port));
    EXPECT_EQ(port, 18830);
    for (const char *bad : {"", ":1883", "host:", "host:0", "host:65536", "host:x", "a b", "host:1883:1"})
        EXPECT_FALSE(home::parseHostPort(QLatin1String(bad), &host, &port)) << bad;
}
