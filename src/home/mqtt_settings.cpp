#include "home/mqtt_settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>

namespace home {

namespace {

constexpr qint64 kMaxPasswordFileBytes = 4096;

// pelora.ini only while it is a small regular file (or none yet).
bool usable(const QString &iniFile)
{
    const QFileInfo f(iniFile);
    return !f.exists() || (f.isFile() && f.size() <= 1024 * 1024);
}

// A topic root: no wildcards, no empty levels at the ends.
bool goodRoot(const QString &t)
{
    return !t.isEmpty() && !t.contains(u'+') && !t.contains(u'#') && !t.startsWith(u'/') && !t.endsWith(u'/') &&
           t.size() <= 100;
}

bool readPassword(const QString &file, QString *password, QString *error)
{
    const QFileInfo info(file);
    if (!info.isFile()) {
        *error = QCoreApplication::translate("MqttSettings", "Die MQTT-Passwortdatei %1 ist nicht da.").arg(file);
        return false;
    }
    // Group or others may read it: the password is as good as public.
    if (info.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther)) {
        *error = QCoreApplication::translate("MqttSettings", "Die MQTT-Passwortdatei %1 können andere Benutzer lesen; "
                                                          "sie muss Ihnen allein gehören (chmod 600 %1).")
                     .arg(file);
        return false;
    }
    QFile f(file);
    if (info.size() > kMaxPasswordFileBytes || !f.open(QIODevice::ReadOnly)) {
        *error = QCoreApplication::translate("MqttSettings", "Die MQTT-Passwortdatei %1 lässt sich nicht lesen.").arg(file);
        return false;
    }
    QByteArray line = f.readLine(kMaxPasswordFileBytes);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    *password = QString::fromUtf8(line);
    return true;
}

}  // namespace

QString MqttSettings::where() const
{
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

bool parseHostPort(const QString &text, QString *host, int *port)
{
    static const QRegularExpression form(QStringLiteral("^([A-Za-z0-9._-]+)(?::([0-9]{1,5}))?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    const int p = m.captured(2).isEmpty() ? 0 : m.captured(2).toInt();
    if (!m.captured(2).isEmpty() && (p < 1 || p > 65535))
        return false;
    *host = m.captured(1);
    *port = p;
    return true;
}

std::optional<MqttSettings> readMqttSettings(const QString &iniFile, const QString &commandLineHost, int commandLinePort,
                                             QString *error)
{
    error->clear();
    if (!usable(iniFile)) {
        if (!commandLineHost.isEmpty())
            *error = QCoreApplication::translate("MqttSettings", "%1 ist keine Einstellungsdatei.").arg(iniFile);
        return std::nullopt;
    }
    QSettings ini(iniFile, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("mqtt"));
    MqttSettings s;
    s.host = ini.value(QStringLiteral("host")).toString().trimmed();
    if (!commandLineHost.isEmpty())
        s.host = commandLineHost;
    if (s.host.isEmpty())
        return std::nullopt;  // no settings, no MQTT
    s.tls = ini.value(QStringLiteral("tls")).toString().trimmed();
    const QString port = ini.value(QStringLiteral("port")).toString().trimmed();
    if (commandLinePort > 0) {
        s.port = commandLinePort;
    } else if (!port.isEmpty()) {
        bool ok = false;
        s.port = port.toInt(&ok);
        if (!ok || s.port < 1 || s.port > 65535) {
            *error = QCoreApplication::translate("MqttSettings", "Der MQTT-Port „%1“ in %2 ist keine Portnummer.").arg(port, iniFile);
            return std::nullopt;
        }
    } else {
        s.port = s.tls.isEmpty() ? 1883 : 8883;
    }
    if (!s.tls.isEmpty() && s.tls != QLatin1String("system") && !QFileInfo(s.tls).isFile()) {
        *error = QCoreApplication::translate("MqttSettings", "Die CA-Datei %1 für MQTT über TLS ist nicht da.").arg(s.tls);
        return std::nullopt;
    }
    s.username = ini.value(QStringLiteral("username")).toString();
    const QString passwordFile = ini.value(QStringLiteral("password_file")).toString().trimmed();
    if (!passwordFile.isEmpty() && !readPassword(passwordFile, &s.password, error))
        return std::nullopt;
    // The id names the device to Home Assistant: it must stay the same
    // from start to start.
    static const QRegularExpression idForm(QStringLiteral("^[A-Za-z0-9_-]{1,32}$"));
    s.id = ini.value(QStringLiteral("id")).toString();
    if (!idForm.match(s.id).hasMatch()) {
        s.id = QString::number(QRandomGenerator::system()->generate64() & 0xFFFFFFFFFFFFull, 16).rightJustified(12, u'0');
        ini.setValue(QStringLiteral("id"), s.id);
        ini.sync();
    }
    // Each installation has topics of its own: two on one broker never
    // hear each other's commands.
    s.baseTopic = ini.value(QStringLiteral("base_topic"), QStringLiteral("pelora/") + s.id).toString().trimmed();
    s.discoveryPrefix = ini.value(QStringLiteral("discovery_prefix"), s.discoveryPrefix).toString().trimmed();
    for (const QString *root : {&s.baseTopic, &s.discoveryPrefix}) {
        if (!goodRoot(*root)) {
            *error = QCoreApplication::translate("MqttSettings", "„%1“ in %2 taugt nicht als Anfang von MQTT-Topics.").arg(*root, iniFile);
            return std::nullopt;
        }
    }
    return s;
}

QStringList publishedEntities(const QString &iniFile)
{
    if (!usable(iniFile))
        return {};
    QSettings ini(iniFile, QSettings::IniFormat);
    return ini.value(QStringLiteral("mqtt/published")).toStringList();
}

void setPublishedEntities(const QString &iniFile, const QStringList &entities)
{
    if (!usable(iniFile))
        return;
    QSettings ini(iniFile, QSettings::IniFormat);
    if (ini.value(QStringLiteral("mqtt/published")).toStringList() != entities)
        ini.setValue(QStringLiteral("mqtt/published"), entities);
}

}  // namespace home
