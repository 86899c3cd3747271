#pragma once
// The web remote: the front panel in any browser on the home network, and a
// JSON API for scripts, served on the program's own event loop.
//
//   GET  /                  the page (after the pairing link set its cookie)
//   GET  /pair?token=...    the pairing link: sets the cookie, then the page
//   GET  /api/state         the model as one JSON object
//   GET  /api/controls      the keys the page draws, with their captions
//   POST /api/source        {"source":"cd"}
//   POST /api/level         {"level":"volume","value":40}
//   POST /api/key           {"key":"mute"}
//   POST /api/station       {"key":3}
//   POST /api/status        asks the device for its status
//   GET  /api/events        WebSocket: the state, again after each change
//
// Every request needs the installation's token, as "Authorization: Bearer"
// or as the cookie the pairing link sets. Commands go through the door,
// as the home network's do, and are checked the same way.

#include "model/door.h"
#include "platform/logging.h"
#include "platform/platform.h"
#include "web/web_settings.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QHttpServerRequest;
class QHttpServerResponder;
class QTcpSocket;
class QWebSocket;
class QWebSocketServer;

namespace web {

// The state as the API and the page see it.
QJsonObject stateJson(const model::HifiModel &m);
// The keys the page draws: the amplifier's functions, each player's keys,
// the tuner's steps, with captions, names and the player they belong to.
QJsonObject controlsJson();

// The link that pairs a browser: opens the page with the token in its query.
QString pairingLink(const WebSettings &settings, quint16 port, const QString &token);

class WebRemote : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 48;
    static constexpr int kMaxEventClients = 32;
    static constexpr int kMaxHeadBytes = 8192;
    static constexpr int kMaxBodyBytes = 4096;

    WebRemote(model::Door &door, platform::Platform &platform, WebSettings settings, QString token, bool english);
    ~WebRemote() override;

    // Listens; false with *error when the address cannot be had.
    bool start(QString *error);
    quint16 port() const;
    QString link() const;
    void close();

    // The pairing link and its QR code in the config view.
    void showPairingIn(QWidget *place) const;

private:
    class Listener;
    class Http;
    struct Head;

    void accepted(QTcpSocket *socket);
    void readHead(QTcpSocket *socket);
    // Connections whose request must be in within 10 s.
    void watchHead(QTcpSocket *socket);
    void forgetHead(QTcpSocket *socket);
    void dropStale();
    void handOver();
    void refuseRaw(QTcpSocket *socket, int status, const QByteArray &reason);
    void handle(const QHttpServerRequest &request, QHttpServerResponder &responder);
    void command(const QByteArray &path, const QByteArray &body, QHttpServerResponder &responder);
    void eventClient();
    void scheduleEvents();
    void sendEvents();
    bool authorised(const QByteArray &authorization, const QByteArray &cookie) const;
    bool sameOrigin(const QByteArray &origin, const QByteArray &host) const;
    QByteArray cookieName() const;
    void dropped(const QString &what);
    double now() const;

    model::Door &door_;
    platform::Platform &plat_;
    WebSettings s_;
    QString token_;
    bool english_;
    Listener *listener_ = nullptr;  // owned by http_
    std::unique_ptr<Http> http_;
    std::unique_ptr<QWebSocketServer> events_;
    std::vector<QPointer<QWebSocket>> clients_;
    struct Waiting {
        QPointer<QTcpSocket> socket;
        double since;
    };
    std::vector<Waiting> heads_;  // connections whose request is not all in yet
    int connections_ = 0;
    std::unique_ptr<platform::Timer> staleHeads_;
    std::unique_ptr<platform::Timer> push_;  // joins the model's changes into one message
    struct Ready {
        QPointer<QTcpSocket> socket;
        bool events;  // for the event stream, else for the HTTP server
    };
    std::vector<Ready> ready_;  // checked, waiting to be handed over
    std::unique_ptr<platform::Timer> handOver_;
    platform::RateLimit droppedLog_{10.0};
};

}  // namespace web
