#pragma once
// The [mqtt] section of pelora.ini: where the broker is and how to log in,
// the topics' roots, and the installation's id.
//
//   [mqtt]
//   host=127.0.0.1
//   port=1883            ; 8883 with tls
//   username=pelora
//   password_file=/home/me/.config/pelora/mqtt-password   ; mode 600
//   tls=system           ; or a CA file
//   base_topic=pelora/<id>
//   discovery_prefix=homeassistant
//   id=...               ; written by the program on the first start

#include <QString>
#include <QStringList>

#include <optional>

namespace home {

struct MqttSettings {
    QString host;
    int port = 0;
    QString username;
    QString password;  // read from password_file; never logged
    QString tls;       // empty: none; "system": the system's CAs; else a CA file
    QString baseTopic;  // "pelora/<id>" unless set
    QString discoveryPrefix = QStringLiteral("homeassistant");
    QString id;  // stable per installation
    // "host:port" for messages.
    QString where() const;
};

// "HOST" or "HOST:PORT" (port 1..65535; 0 when none is given). False when
// it is not of that form.
bool parseHostPort(const QString &text, QString *host, int *port);

// The settings from `iniFile`, with --mqtt's host and port (if given) over
// them. None and no error: MQTT is not configured. None with *error: the
// settings are refused, for the reason in *error. A new installation id is
// written to the file.
std::optional<MqttSettings> readMqttSettings(const QString &iniFile, const QString &commandLineHost, int commandLinePort,
                                             QString *error);

// The entities published last time ("select/source", ...), kept in the
// file so that one no longer published can be removed.
QStringList publishedEntities(const QString &iniFile);
void setPublishedEntities(const QString &iniFile, const QStringList &entities);

}  // namespace home
