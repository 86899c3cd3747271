#pragma once
// The [web] section of pelora.ini and --web: where the web remote listens,
// and its TLS certificate if any. Off unless one of them names a port.
//
//   [web]
//   listen=8080                ; or 192.168.1.20:8080, or [::]:8080
//   certificate=/path/cert.pem ; both or neither: https instead of http
//   private_key=/path/key.pem

#include <QHostAddress>
#include <QString>

#include <optional>

namespace web {

struct WebSettings {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 0;
    QString certificate;
    QString privateKey;
    bool tls() const { return !certificate.isEmpty(); }
};

// "PORT", "ADDR:PORT" or "[ADDR]:PORT". False when it is not of that form.
bool parseListen(const QString &text, QHostAddress *address, quint16 *port);

// The settings from `iniFile`, with --web's (if given) over them. None and
// no error: the web remote is off. None with *error: refused, for the
// reason in *error.
std::optional<WebSettings> readWebSettings(const QString &iniFile, const QString &commandLineListen, QString *error);

struct WebAccess {
    WebSettings settings;
    QString token;
};
// The web remote's settings and token for the data folder `dir`: none and
// no error when it is off, none with *error when refused.
std::optional<WebAccess> readWebAccess(const QString &dir, const QString &commandLineListen, QString *error);

// The installation's access token, kept in `file` (readable by its owner
// only); made there at the first use. Empty, with *error, when it can be
// neither read nor made.
QString accessToken(const QString &file, QString *error);

}  // namespace web
