#include "web/web_remote.h"

#include "home/payloads.h"
#include "model/remote_names.h"
#include "platform/logging.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QAbstractHttpServer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkInterface>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>

namespace web {

namespace {

using model::Source;

const char *requestName(model::Request r)
{
    switch (r) {
    case model::Request::Play: return "play";
    case model::Request::Pause: return "pause";
    case model::Request::Stop: return "stop";
    case model::Request::Unknown: break;
    }
    return "unknown";
}

QByteArray json(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// Compares in a time that does not tell how much of a guess was right.
bool sameSecret(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size() || a.isEmpty())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

QByteArray statusText(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    }
    return "Error";
}

// What every answer carries: one request per connection, nothing cached,
// nothing framed or run from elsewhere.
const QHttpServerResponder::HeaderList kCommonHeaders = {
    {"Connection", "close"},
    {"Cache-Control", "no-store"},
    {"X-Content-Type-Options", "nosniff"},
    {"Referrer-Policy", "no-referrer"},
    {"Content-Security-Policy", "default-src 'self'; connect-src 'self'; img-src 'self' data:; frame-ancestors 'none'; "
                                "base-uri 'none'; form-action 'self'"},
};

void reply(QHttpServerResponder &r, int status, const QByteArray &type, const QByteArray &body,
           QHttpServerResponder::HeaderList extra = {})
{
    r.writeStatusLine(QHttpServerResponder::StatusCode(status));
    r.writeHeaders(kCommonHeaders);
    r.writeHeaders(extra);
    r.writeHeader("Content-Type", type);
    r.writeHeader("Content-Length", QByteArray::number(body.size()));
    r.writeBody(body);
}

void replyJson(QHttpServerResponder &r, int status, const QJsonObject &o)
{
    reply(r, status, "application/json", json(o));
}

void replyError(QHttpServerResponder &r, int status, const QString &reason)
{
    replyJson(r, status, QJsonObject{{QStringLiteral("error"), reason}});
}

// The files served: the page's, and the window's icon where the program
// carries it. Nothing else is.
struct File {
    const char *path, *resource, *type;
};
constexpr File kFiles[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/web/app.js", "text/javascript; charset=utf-8"},
    {"/style.css", ":/web/style.css", "text/css; charset=utf-8"},
    {"/favicon.ico", ":/icons/pelora-32.png", "image/png"},
};

const File *fileAt(const QByteArray &path)
{
    for (const File &f : kFiles)
        if (path == f.path)
            return &f;
    return nullptr;
}

}  // namespace

QJsonObject stateJson(const model::HifiModel &m)
{
    QJsonObject o;
    o[QStringLiteral("source")] = model::sourceNames()[int(m.source())];
    o[QStringLiteral("band")] = m.band();
    o[QStringLiteral("answering")] = m.link().answering;
    o[QStringLiteral("open")] = m.link().open;
    o[QStringLiteral("link")] = model::linkText(m.link());
    o[QStringLiteral("busy")] = m.busy();
    for (int i = 0; i < model::kLevelCount; ++i)
        o[QLatin1String(model::kLevelRanges[i].name)] = m.level(model::Level(i));
    QJsonObject functions;
    for (const model::RemoteKey &k : model::remoteKeys())
        if (k.function >= 0)
            functions[k.object] = m.function(model::Function(k.function));
    o[QStringLiteral("functions")] = functions;
    const model::Station &st = m.station();
    o[QStringLiteral("station")] = QJsonObject{{QStringLiteral("frequency"), st.frequency},
                                               {QStringLiteral("name"), st.name},
                                               {QStringLiteral("note"), st.note},
                                               {QStringLiteral("key"), m.litStationKey()}};
    QJsonArray keys;
    for (int i = 1; i <= 30; ++i)
        keys.append(QJsonObject{{QStringLiteral("key"), i},
                                {QStringLiteral("caption"), m.stationKeyCaptions()[i]},
                                {QStringLiteral("frequency"), m.keyStations()[i].frequency},
                                {QStringLiteral("name"), m.keyStations()[i].name}});
    o[QStringLiteral("keys")] = keys;
    QJsonObject players;
    for (Source p : {Source::Tape1, Source::Tape2, Source::Phono, Source::Cd})
        players[model::sourceNames()[int(p)]] = QLatin1String(requestName(m.request(p)));
    o[QStringLiteral("players")] = players;
    return o;
}

QJsonObject controlsJson()
{
    QJsonArray keys;
    for (const model::RemoteKey &k : model::remoteKeys())
        keys.append(QJsonObject{{QStringLiteral("key"), k.object},
                                {QStringLiteral("spoken"), model::spokenName(k)},
                                {QStringLiteral("name"), k.name},
                                // As the window shows it, in its language.
                                {QStringLiteral("caption"), QCoreApplication::translate("Form1", k.caption.toUtf8().constData())},
                                {QStringLiteral("panel"), k.panel},
                                {QStringLiteral("extra"), k.extra},
                                {QStringLiteral("switch"), k.function >= 0}});
    QJsonArray levels;
    for (const model::LevelRange &l : model::kLevelRanges)
        levels.append(QJsonObject{{QStringLiteral("level"), QLatin1String(l.name)},
                                  {QStringLiteral("min"), l.min},
                                  {QStringLiteral("max"), l.max}});
    QJsonObject spokenSources;
    for (int i = 0; i < int(model::sourceNames().size()); ++i)
        spokenSources[model::sourceNames()[i]] = model::spokenSourceName(model::Source(i));
    return QJsonObject{{QStringLiteral("sources"), QJsonArray::fromStringList(model::sourceNames())},
                       {QStringLiteral("spokenSources"), spokenSources},
                       {QStringLiteral("levels"), levels},
                       {QStringLiteral("keys"), keys},
                       // The captions between the tuner's step keys.
                       {QStringLiteral("seek"), QStringLiteral("auto tune")},
                       {QStringLiteral("preset"), QCoreApplication::translate("Form1", "programm")}};
}

QString pairingLink(const WebSettings &settings, quint16 port, const QString &token)
{
    QHostAddress host = settings.address;
    if (host == QHostAddress(QHostAddress::Any) || host == QHostAddress(QHostAddress::AnyIPv4) ||
        host == QHostAddress(QHostAddress::AnyIPv6)) {
        // Listening everywhere: the address a phone on the home network reaches.
        host = QHostAddress(QHostAddress::LocalHost);
        for (const QHostAddress &a : QNetworkInterface::allAddresses())
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !a.isLinkLocal()) {
                host = a;
                break;
            }
    }
    QString name = host.toString();
    if (host.protocol() == QAbstractSocket::IPv6Protocol)
        name = u'[' + name + u']';
    return QStringLiteral("%1://%2:%3/pair?token=%4")
        .arg(settings.tls() ? QStringLiteral("https") : QStringLiteral("http"), name)
        .arg(port)
        .arg(token);
}

// Takes each connection and holds it until its request is all in and
// within bounds; only then the HTTP server or the event stream sees it.
class WebRemote::Listener : public QTcpServer {
public:
    Listener(WebRemote &remote, std::optional<QSslConfiguration> tls) : remote_(remote), tls_(std::move(tls)) {}
    // Hands a checked connection to the HTTP server bound to this listener.
    void handOver(QTcpSocket *socket)
    {
        addPendingConnection(socket);
        Q_EMIT newConnection();
    }

protected:
    void incomingConnection(qintptr handle) override
    {
        if (tls_) {
            auto *ssl = new QSslSocket(this);
            if (remote_.connections_ >= kMaxConnections) {
                // No handshake for one too many: nothing could be said in clear anyway.
                ssl->setSocketDescriptor(handle);
                ssl->abort();
                delete ssl;
                return;
            }
            if (!ssl->setSocketDescriptor(handle)) {
                delete ssl;
                return;
            }
            ssl->setSslConfiguration(*tls_);
            QObject::connect(ssl, &QSslSocket::encrypted, &remote_, [r = &remote_, ssl] { r->accepted(ssl); });
            QObject::connect(ssl, &QSslSocket::sslErrors, ssl, [ssl] { ssl->abort(); });
            ssl->startServerEncryption();
            remote_.watchHead(ssl);  // the handshake too has its 10 s
            count(ssl);
            QObject::connect(ssl, &QAbstractSocket::disconnected, ssl, &QObject::deleteLater);
            return;
        }
        auto *socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(handle)) {
            delete socket;
            return;
        }
        count(socket);
        remote_.accepted(socket);
    }

private:
    // Counted from here, not from the remote: its connections to a socket
    // are dropped when the socket is handed over.
    void count(QTcpSocket *socket)
    {
        ++remote_.connections_;
        QObject::connect(socket, &QObject::destroyed, this, [r = &remote_] { --r->connections_; });
    }

    WebRemote &remote_;
    std::optional<QSslConfiguration> tls_;
};

class WebRemote::Http : public QAbstractHttpServer {
public:
    explicit Http(WebRemote &remote) : remote_(remote) {}

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        {
            QHttpServerResponder responder = makeResponder(request, socket);
            remote_.handle(request, responder);
        }
        // One request a connection: the next one passes the size checks anew.
        socket->disconnectFromHost();
        return true;
    }
    void missingHandler(const QHttpServerRequest &, QTcpSocket *socket) override { socket->abort(); }

private:
    WebRemote &remote_;
};

struct WebRemote::Head {
    QByteArray method, target;
    QList<QPair<QByteArray, QByteArray>> fields;
    qsizetype size = 0;  // through the blank line
    QByteArray value(const char *name) const
    {
        for (const auto &f : fields)
            if (f.first.compare(name, Qt::CaseInsensitive) == 0)
                return f.second;
        return {};
    }
    // The head ends the text, or none is there yet.
    static std::optional<Head> read(const QByteArray &text)
    {
        const qsizetype end = text.indexOf("\r\n\r\n");
        if (end < 0)
            return std::nullopt;
        Head h;
        h.size = end + 4;
        const QList<QByteArray> lines = text.left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        h.method = first.value(0);
        h.target = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                h.fields.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
        }
        return h;
    }
};

WebRemote::WebRemote(model::Door &door, platform::Platform &platform, WebSettings settings, QString token, bool english)
    : door_(door), plat_(platform), s_(std::move(settings)), token_(std::move(token)), english_(english),
      staleHeads_(plat_.makeTimer()), push_(plat_.makeTimer()), handOver_(plat_.makeTimer())
{
    handOver_->setInterval(1);
    handOver_->onTick = [this] { handOver(); };
    staleHeads_->setInterval(1000);
    staleHeads_->onTick = [this] { dropStale(); };
    push_->setInterval(50);
    push_->onTick = [this] {
        push_->setEnabled(false);
        sendEvents();
    };
    const model::HifiModel *m = &door_.model();
    for (auto signal : {&model::HifiModel::linkChanged, &model::HifiModel::bandChanged,
                        &model::HifiModel::stationChanged, &model::HifiModel::stationKeysChanged})
        connect(m, signal, this, [this] { scheduleEvents(); });
    connect(m, &model::HifiModel::sourceChanged, this, [this] { scheduleEvents(); });
    connect(m, &model::HifiModel::levelChanged, this, [this] { scheduleEvents(); });
    connect(m, &model::HifiModel::functionChanged, this, [this] { scheduleEvents(); });
    connect(m, &model::HifiModel::busyChanged, this, [this] { scheduleEvents(); });
    connect(m, &model::HifiModel::requestChanged, this, [this] { scheduleEvents(); });
}

WebRemote::~WebRemote()
{
    close();
    // While the counts they update are still there.
    events_.reset();
    http_.reset();
    staleHeads_->onTick = nullptr;
    push_->onTick = nullptr;
    handOver_->onTick = nullptr;
}

double WebRemote::now() const
{
    return plat_.clock->absoluteSeconds();
}

bool WebRemote::start(QString *error)
{
    std::optional<QSslConfiguration> tls;
    if (s_.tls()) {
        QFile certFile(s_.certificate), keyFile(s_.privateKey);
        const QList<QSslCertificate> chain =
            certFile.open(QIODevice::ReadOnly) ? QSslCertificate::fromDevice(&certFile, QSsl::Pem) : QList<QSslCertificate>();
        QSslKey key;
        if (keyFile.open(QIODevice::ReadOnly)) {
            const QByteArray pem = keyFile.readAll();
            key = QSslKey(pem, QSsl::Rsa);
            if (key.isNull())
                key = QSslKey(pem, QSsl::Ec);
        }
        if (chain.isEmpty() || key.isNull() || !QSslSocket::supportsSsl()) {
            *error = QCoreApplication::translate("WebRemote", "Zertifikat oder Schlüssel für HTTPS lassen sich nicht lesen "
                                                              "(%1, %2).").arg(s_.certificate, s_.privateKey);
            return false;
        }
        QSslConfiguration c = QSslConfiguration::defaultConfiguration();
        c.setLocalCertificateChain(chain);
        c.setPrivateKey(key);
        c.setPeerVerifyMode(QSslSocket::VerifyNone);
        tls = c;
    }
    http_ = std::make_unique<Http>(*this);
    listener_ = new Listener(*this, tls);
    if (!listener_->listen(s_.address, s_.port)) {
        *error = QCoreApplication::translate("WebRemote", "Die Web-Fernbedienung kann nicht auf %1:%2 hören: %3")
                     .arg(s_.address.toString())
                     .arg(s_.port)
                     .arg(listener_->errorString());
        delete listener_;
        listener_ = nullptr;
        http_.reset();
        return false;
    }
    http_->bind(listener_);  // now its parent
    events_ = std::make_unique<QWebSocketServer>(QStringLiteral("Pelora"), QWebSocketServer::NonSecureMode);
    events_->setHandshakeTimeout(10000);
    connect(events_.get(), &QWebSocketServer::newConnection, this, [this] { eventClient(); });
    qCInfo(lcWeb).noquote() << "web remote on" << QStringLiteral("%1:%2").arg(s_.address.toString()).arg(port());
    return true;
}

quint16 WebRemote::port() const
{
    return listener_ ? listener_->serverPort() : s_.port;
}

QString WebRemote::link() const
{
    return pairingLink(s_, port(), token_);
}

void WebRemote::close()
{
    if (listener_)
        listener_->close();
    for (const QPointer<QWebSocket> &c : clients_)
        delete c.data();
    clients_.clear();
    push_->setEnabled(false);
    staleHeads_->setEnabled(false);
    handOver_->setEnabled(false);
    ready_.clear();
}

QByteArray WebRemote::cookieName() const
{
    // Cookies ignore the port: two hi-fis on one machine each keep their own.
    return "pelora_" + QByteArray::number(port());
}

bool WebRemote::authorised(const QByteArray &authorization, const QByteArray &cookie) const
{
    const QByteArray token = token_.toLatin1();
    if (authorization.startsWith("Bearer ") && sameSecret(authorization.mid(7).trimmed(), token))
        return true;
    for (const QByteArray &part : cookie.split(';')) {
        const QByteArray c = part.trimmed();
        const qsizetype eq = c.indexOf('=');
        if (eq > 0 && c.left(eq) == cookieName() && sameSecret(c.mid(eq + 1), token))
            return true;
    }
    return false;
}

bool WebRemote::sameOrigin(const QByteArray &origin, const QByteArray &host) const
{
    // Scripts send none; a browser always does, and must come from the page.
    if (origin.isEmpty())
        return true;
    return origin == (s_.tls() ? "https://" : "http://") + host;
}

void WebRemote::watchHead(QTcpSocket *socket)
{
    if (std::none_of(heads_.begin(), heads_.end(), [socket](const Waiting &w) { return w.socket == socket; }))
        heads_.push_back({socket, now()});
    staleHeads_->setEnabled(true);
}

void WebRemote::forgetHead(QTcpSocket *socket)
{
    heads_.erase(std::remove_if(heads_.begin(), heads_.end(), [socket](const Waiting &w) { return w.socket == socket; }),
                 heads_.end());
}

void WebRemote::accepted(QTcpSocket *socket)
{
    if (connections_ > kMaxConnections) {
        refuseRaw(socket, 503, "too many connections");
        return;
    }
    watchHead(socket);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHead(socket); });
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater, Qt::UniqueConnection);
    if (socket->bytesAvailable() > 0)
        readHead(socket);
}

void WebRemote::dropStale()
{
    const double t = now();
    std::vector<QTcpSocket *> late;  // refusing takes them out of heads_
    for (const Waiting &w : heads_)
        if (w.socket && t - w.since > 10.0)
            late.push_back(w.socket);
    for (QTcpSocket *socket : late)
        refuseRaw(socket, 408, "request not complete within 10 s");
    heads_.erase(std::remove_if(heads_.begin(), heads_.end(), [](const Waiting &w) { return !w.socket; }), heads_.end());
    staleHeads_->setEnabled(!heads_.empty());
}

void WebRemote::refuseRaw(QTcpSocket *socket, int status, const QByteArray &reason)
{
    socket->disconnect(this);
    const QByteArray body = "{\"error\":\"" + reason + "\"}";
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + statusText(status) +
                  "\r\nConnection: close\r\nContent-Type: application/json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
    socket->disconnectFromHost();
    forgetHead(socket);
}

void WebRemote::readHead(QTcpSocket *socket)
{
    const QByteArray text = socket->peek(kMaxHeadBytes + kMaxBodyBytes + 1);
    const std::optional<Head> head = Head::read(text.left(kMaxHeadBytes));
    if (!head) {
        if (text.size() >= kMaxHeadBytes)
            refuseRaw(socket, 431, "request head longer than 8192 bytes");
        return;  // more to come
    }
    if (!head->value("Transfer-Encoding").isEmpty())
        return refuseRaw(socket, 411, "a body needs a Content-Length");
    bool ok = true;
    const QByteArray lengthText = head->value("Content-Length");
    const qint64 length = lengthText.isEmpty() ? 0 : lengthText.toLongLong(&ok);
    if (!ok || length < 0)
        return refuseRaw(socket, 400, "bad Content-Length");
    if (length > kMaxBodyBytes)
        return refuseRaw(socket, 413, "body longer than 4096 bytes");
    if (text.size() < head->size + length)
        return;  // the body is on its way
    socket->disconnect(this);
    forgetHead(socket);
    bool events = false;
    if (head->value("Upgrade").compare("websocket", Qt::CaseInsensitive) == 0) {
        if (head->method != "GET" || head->target != "/api/events")
            return refuseRaw(socket, 400, "no event stream here");
        if (!sameOrigin(head->value("Origin"), head->value("Host")))
            return refuseRaw(socket, 403, "another origin");
        if (!authorised(head->value("Authorization"), head->value("Cookie")))
            return refuseRaw(socket, 401, "the token is missing or wrong");
        clients_.erase(std::remove(clients_.begin(), clients_.end(), nullptr), clients_.end());
        if (int(clients_.size() + std::count_if(ready_.begin(), ready_.end(), [](const Ready &r) { return r.events; })) >=
            kMaxEventClients)
            return refuseRaw(socket, 503, "too many event clients");
        events = true;
    }
    // Handed over from the event loop, not from within this socket's own signal.
    ready_.push_back({socket, events});
    handOver_->setEnabled(true);
}

void WebRemote::handOver()
{
    handOver_->setEnabled(false);
    std::vector<Ready> ready;
    ready.swap(ready_);
    for (const Ready &r : ready) {
        QTcpSocket *socket = r.socket;
        if (!socket)
            continue;
        if (r.events) {
            // The event stream owns it from here.
            QObject::disconnect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
            events_->handleConnection(socket);
        } else {
            listener_->handOver(socket);
        }
        // What it sent is in already: the new owner reads it now.
        Q_EMIT socket->readyRead();
    }
}

void WebRemote::eventClient()
{
    while (QWebSocket *c = events_->nextPendingConnection()) {
        c->setMaxAllowedIncomingMessageSize(1024);
        c->setMaxAllowedIncomingFrameSize(1024);
        clients_.push_back(c);
        connect(c, &QWebSocket::disconnected, c, &QObject::deleteLater);
        c->sendTextMessage(QString::fromUtf8(json(stateJson(door_.model()))));
    }
}

void WebRemote::scheduleEvents()
{
    if (!clients_.empty() && !push_->isEnabled())
        push_->setEnabled(true);
}

void WebRemote::sendEvents()
{
    const QString text = QString::fromUtf8(json(stateJson(door_.model())));
    for (const QPointer<QWebSocket> &c : clients_)
        if (c && c->state() == QAbstractSocket::ConnectedState)
            c->sendTextMessage(text);
    clients_.erase(std::remove(clients_.begin(), clients_.end(), nullptr), clients_.end());
}

void WebRemote::dropped(const QString &what)
{
    int held = 0;
    if (droppedLog_.allow(now(), &held))
        qCWarning(lcWeb).noquote() << platform::RateLimit::withHeld(
            QStringLiteral("web command %1 dropped: the window stayed busy for 6 s").arg(what), held);
}

void WebRemote::handle(const QHttpServerRequest &request, QHttpServerResponder &r)
{
    const QByteArray path = request.url().path().toUtf8();
    const bool get = request.method() == QHttpServerRequest::Method::Get;
    const bool post = request.method() == QHttpServerRequest::Method::Post;
    const bool mine = authorised(request.value("Authorization"), request.value("Cookie"));

    if (path == "/pair" && get) {
        const QByteArray offered = request.query().queryItemValue(QStringLiteral("token")).toLatin1();
        if (!sameSecret(offered, token_.toLatin1()))
            return reply(r, 401, "text/plain; charset=utf-8",
                         QCoreApplication::translate("WebRemote", "Dieser Kopplungslink gilt nicht (mehr).").toUtf8());
        // The cookie goes back only to this page, never with a request another site starts.
        QByteArray cookie = cookieName() + '=' + token_.toLatin1() + "; Path=/; HttpOnly; SameSite=Strict; Max-Age=31536000";
        if (s_.tls())
            cookie += "; Secure";
        return reply(r, 303, "text/plain", {}, {{"Set-Cookie", cookie}, {"Location", "/"}});
    }
    if (!mine) {
        if (path == "/" && get)
            return reply(r, 401, "text/html; charset=utf-8",
                         "<!DOCTYPE html><html lang=\"" + QByteArray(english_ ? "en" : "de") +
                             "\"><meta charset=\"utf-8\"><title>Pelora</title><p>" +
                             QCoreApplication::translate("WebRemote", "Bitte öffnen Sie den Kopplungslink aus "
                                                                      "Pelora (Konfiguration, oder pelora --web-link).")
                                 .toHtmlEscaped()
                                 .toUtf8() +
                             "</p></html>");
        return replyError(r, 401, QStringLiteral("the token is missing or wrong"));
    }
    const File *file = fileAt(path);
    if (get && file) {
        QFile f(QLatin1String(file->resource));
        if (!f.open(QIODevice::ReadOnly))
            return replyError(r, 404, QStringLiteral("not found"));
        QByteArray body = f.readAll();
        if (path == "/" && english_)
            body.replace("lang=\"de\"", "lang=\"en\"");
        return reply(r, 200, file->type, body);
    }
    if (get) {
        if (path == "/api/state")
            return replyJson(r, 200, stateJson(door_.model()));
        if (path == "/api/controls")
            return replyJson(r, 200, controlsJson());
    }
    if (post && path.startsWith("/api/")) {
        if (!sameOrigin(request.value("Origin"), request.value("Host")))
            return replyError(r, 403, QStringLiteral("another origin"));
        return command(path, request.body(), r);
    }
    if (file || path.startsWith("/api/"))
        return replyError(r, 405, QStringLiteral("method not allowed"));
    replyError(r, 404, QStringLiteral("not found"));
}

void WebRemote::command(const QByteArray &path, const QByteArray &body, QHttpServerResponder &r)
{
    using home::BadInput;
    const auto refuse = [&r](BadInput why, const QString &what) {
        replyError(r, 400, what + QStringLiteral(": ") + QLatin1String(home::describe(why)));
    };
    const auto accepted = [&r] { replyJson(r, 202, QJsonObject{{QStringLiteral("accepted"), true}}); };
    const auto done = [this, what = QString::fromUtf8(path)](bool ran) {
        if (!ran)
            dropped(what);
    };
    if (path == "/api/status") {
        door_.askStatus(done);
        return accepted();
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
    if (!doc.isObject())
        return replyError(r, 400, QStringLiteral("the body must be a JSON object"));
    const QJsonObject o = doc.object();
    BadInput why = BadInput::None;
    // A value as text, so that the home network's checks apply unchanged.
    const auto text = [&o](const char *name) {
        const QJsonValue v = o.value(QLatin1String(name));
        if (v.isString())
            return v.toString();
        if (v.isDouble())
            return QString::number(v.toDouble(), 'g', 17);
        return QString();
    };
    if (path == "/api/source") {
        const QString name = o.value(QStringLiteral("source")).toString();
        const int i = home::optionIndex(model::sourceNames(), name, &why);
        if (i < 0)
            return refuse(why, QStringLiteral("source"));
        const Source wanted = Source(i);
        if (door_.model().source() == wanted)
            return replyJson(r, 200, QJsonObject{{QStringLiteral("accepted"), false},
                                                 {QStringLiteral("reason"), QStringLiteral("already so")}});
        // Pressed again once on, a source key steps on (the tuner's keys).
        door_.chooseSource(wanted, done, [this, wanted] { return door_.model().source() != wanted; });
        return accepted();
    }
    if (path == "/api/level") {
        const QString name = o.value(QStringLiteral("level")).toString();
        const auto range = std::find_if(std::begin(model::kLevelRanges), std::end(model::kLevelRanges),
                                        [&name](const model::LevelRange &l) { return name == QLatin1String(l.name); });
        if (range == std::end(model::kLevelRanges))
            return refuse(BadInput::UnknownOption, QStringLiteral("level"));
        const std::optional<int> v = home::parseLevel(text("value"), range->min, range->max, &why);
        if (!v)
            return refuse(why, QStringLiteral("value"));
        door_.setLevel(model::Level(range - std::begin(model::kLevelRanges)), *v, done);
        return accepted();
    }
    if (path == "/api/key") {
        const model::RemoteKey *k = model::findRemoteKey(o.value(QStringLiteral("key")).toString());
        if (!k)
            return refuse(BadInput::UnknownOption, QStringLiteral("key"));
        door_.pressKey(k->control, done);
        return accepted();
    }
    if (path == "/api/station") {
        const std::optional<int> key = home::parseLevel(text("key"), 1, 30, &why);
        if (!key)
            return refuse(why, QStringLiteral("key"));
        door_.tuneStationKey(*key, done);
        return accepted();
    }
    replyError(r, 404, QStringLiteral("not found"));
}

}  // namespace web
