#include "web/web_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>

namespace web {

bool parseListen(const QString &text, QHostAddress *address, quint16 *port)
{
    static const QRegularExpression form(QStringLiteral("^(?:(\\[[0-9A-Fa-f:.]+\\]|[0-9.]+):)?([0-9]{1,5})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const int p = m.captured(2).toInt();
    if (p < 1 || p > 65535)
        return false;
    QHostAddress a(QHostAddress::LocalHost);
    if (!m.captured(1).isEmpty()) {
        QString host = m.captured(1);
        if (host.startsWith(u'['))
            host = host.mid(1, host.size() - 2);
        if (!a.setAddress(host))
            return false;
    }
    *address = a;
    *port = quint16(p);
    return true;
}

std::optional<WebSettings> readWebSettings(const QString &iniFile, const QString &commandLineListen, QString *error)
{
    error->clear();
    WebSettings s;
    QString listen = commandLineListen;
    const QFileInfo f(iniFile);
    const bool iniUsable = f.isFile() && f.size() <= 1024 * 1024;
    QSettings ini(iniUsable ? iniFile : QString(), QSettings::IniFormat);
    if (iniUsable) {
        ini.beginGroup(QStringLiteral("web"));
        if (listen.isEmpty())
            listen = ini.value(QStringLiteral("listen")).toString();
        s.certificate = ini.value(QStringLiteral("certificate")).toString().trimmed();
        s.privateKey = ini.value(QStringLiteral("private_key")).toString().trimmed();
    }
    if (listen.trimmed().isEmpty())
        return std::nullopt;
    if (!parseListen(listen, &s.address, &s.port)) {
        *error = QCoreApplication::translate("WebSettings", "„%1“ ist keine Adresse für die Web-Fernbedienung "
                                                          "(PORT oder ADRESSE:PORT).").arg(listen.left(100));
        return std::nullopt;
    }
    if (s.certificate.isEmpty() != s.privateKey.isEmpty()) {
        *error = QCoreApplication::translate("WebSettings", "Für HTTPS braucht [web] in %1 certificate und private_key.")
                     .arg(iniFile);
        return std::nullopt;
    }
    for (const QString &file : {s.certificate, s.privateKey}) {
        if (!file.isEmpty() && !QFileInfo(file).isFile()) {
            *error = QCoreApplication::translate("WebSettings", "Die Datei %1 für HTTPS ist nicht da.").arg(file);
            return std::nullopt;
        }
    }
    return s;
}

std::optional<WebAccess> readWebAccess(const QString &dir, const QString &commandLineListen, QString *error)
{
    const QDir folder(dir);
    std::optional<WebSettings> s = readWebSettings(folder.filePath(QStringLiteral("pelora.ini")), commandLineListen, error);
    if (!s)
        return std::nullopt;
    QString token = accessToken(folder.filePath(QStringLiteral("web-token")), error);
    if (token.isEmpty())
        return std::nullopt;
    return WebAccess{*s, token};
}

QString accessToken(const QString &file, QString *error)
{
    static const QRegularExpression tokenForm(QStringLiteral("^[A-Za-z0-9_-]{32,128}$"));
    QFile f(file);
    if (f.exists()) {
        // Others may read it: it is as good as public, so make a new one.
        const bool private_ = !(f.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther));
        if (private_ && f.size() < 1024 && f.open(QIODevice::ReadOnly)) {
            const QString token = QString::fromLatin1(f.readAll()).trimmed();
            f.close();
            if (tokenForm.match(token).hasMatch())
                return token;
        }
        f.remove();
    }
    QByteArray bytes(32, '\0');
    QRandomGenerator::system()->generate(reinterpret_cast<quint32 *>(bytes.data()),
                                         reinterpret_cast<quint32 *>(bytes.data() + bytes.size()));
    const QByteArray token = bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    // Private before anything is in it.
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        !f.setPermissions(QFile::ReadOwner | QFile::WriteOwner) || f.write(token + '\n') != token.size() + 1 ||
        !f.flush()) {
        *error = QCoreApplication::translate("WebSettings", "Der Zugangsschlüssel %1 lässt sich nicht anlegen: %2")
                     .arg(file, f.errorString());
        f.close();
        f.remove();
        return {};
    }
    f.close();
    return QString::fromLatin1(token);
}

}  // namespace web
