#pragma once
// A connection to the MQTT broker on libmosquitto, driven by the window's
// event loop: the socket is watched for reading (and for writing only while
// libmosquitto has bytes waiting), and libmosquitto's housekeeping (the
// keepalive ping) runs on a timer only while a connection is up or being
// made. Only the connect, which looks the broker's name up and may wait
// for the network, runs on a thread of its own. A lost or refused
// connection is tried again after 1 s, 2 s, 4 s, ... up to 60 s between
// tries.
//
// libmosquitto's callbacks only note what happened; it is handled once the
// library call has returned, so no handler ever calls into the library
// from inside it.

#include "platform/platform.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

struct mosquitto;
struct mosquitto_message;

namespace home {

class MqttClient {
public:
    struct Options {
        QString host;
        int port = 1883;
        QString username;
        QString password;
        QString tls;  // empty: none; "system"; else a CA file
        QString clientId;
        QString willTopic;  // retained "offline" when the connection dies
        QByteArray willPayload;
        // Longer payloads reach onMessage cut to one byte over this, so
        // that the receiver refuses them without a big copy (0: no cut).
        int maxPayload = 0;
    };
    static constexpr int kKeepaliveSeconds = 60;
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLastRetryMs = 60000;

    MqttClient(platform::Platform &platform, Options options);
    ~MqttClient();
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Starts connecting. False, with the reason in errorText(), when the
    // options are refused (the connection itself is tried and retried).
    bool start();
    bool connected() const { return state_ == State::Connected; }
    // Where it is connected, or why not, for the user.
    QString stateText() const;

    // Sends nothing while not connected: the caller publishes everything
    // again once connected.
    void publish(const QString &topic, const QByteArray &payload, bool retain);
    void subscribe(const QString &pattern);
    // Publishes `lastWords` on the will topic and leaves cleanly, waiting
    // at most `ms` for it to go out.
    void close(const QByteArray &lastWords, int ms);

    std::function<void()> onConnected;
    // `retained`: the broker kept it from before, it was not just sent.
    std::function<void(const QString &topic, const QByteArray &payload, bool retained)> onMessage;
    std::function<void()> onStateChanged;

private:
    enum class State { Idle, Connecting, Connected, Waiting };
    // What a callback noted: a CONNACK's code, or a message.
    struct Note {
        bool connack = false;
        int rc = 0;
        QString topic;
        QByteArray payload;
        bool retained = false;
    };
    // A connection the broker closes this soon after it was made, twice in
    // a row, is taken over by another client with the same id.
    static constexpr double kTakeoverSeconds = 5.0;
    double now() const;
    struct ConnectJob;
    static void connectCallback(mosquitto *, void *self, int rc);
    static void messageCallback(mosquitto *, void *self, const mosquitto_message *message);
    static void logCallback(mosquitto *, void *self, int level, const char *text);

    void connectNow();
    void connectDone(const std::shared_ptr<ConnectJob> &job);
    // Handles what the callbacks noted during the last library call.
    void deliver();
    void connack(int rc);
    void readable();
    void writable();
    void housekeeping();
    // Checks what a libmosquitto call left behind: a lost connection, a
    // new socket, bytes waiting to be written.
    void after(int rc);
    void lost(const QString &why);
    // Why the try failed with `rc`, for the user: the broker's refusal,
    // what OpenSSL said of a failed TLS connection, or libmosquitto's text.
    QString failure(int rc) const;
    void setState(State s, const QString &why = QString());

    platform::Platform &plat_;
    Options o_;
    mosquitto *m_ = nullptr;
    std::unique_ptr<platform::SocketWatch> watch_;
    int fd_ = -1;
    std::unique_ptr<platform::Timer> housekeeping_;
    std::unique_ptr<platform::Timer> retry_;
    std::unique_ptr<platform::Timer> more_;  // reads on after a long burst
    int retryMs_ = kFirstRetryMs;
    bool everConnected_ = false;
    bool failing_ = false;
    double connectedAt_ = 0;
    int quickLosses_ = 0;
    bool clash_ = false;  // another client uses our id: retry only slowly
    State state_ = State::Idle;
    QString why_;
    QString refused_;   // the broker's answer to the last CONNECT, if a refusal
    QString tlsError_;  // what OpenSSL said when the last try's TLS failed
    std::deque<Note> notes_;
    bool delivering_ = false;
    std::shared_ptr<ConnectJob> job_;  // the connect on its thread, while it runs
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace home
