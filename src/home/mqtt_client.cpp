#include "home/mqtt_client.h"

#include "platform/logging.h"

#include "home/mosquitto_api.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace home {

namespace {

QString reason(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mq::mosquitto_strerror(rc));
}

}  // namespace

// A connect on its thread. The client may go while it runs: the thread then
// ends the libmosquitto handle itself.
struct MqttClient::ConnectJob {
    std::mutex lock;
    mosquitto *m = nullptr;
    bool reconnect = false;
    QByteArray host;
    int port = 0;
    int rc = MOSQ_ERR_SUCCESS;
    int error = 0;  // errno after a failed try
    bool finished = false;
    bool abandoned = false;
};

MqttClient::MqttClient(platform::Platform &platform, Options options)
    : plat_(platform), o_(std::move(options)), housekeeping_(plat_.makeTimer()), retry_(plat_.makeTimer()),
      more_(plat_.makeTimer())
{
    // Often enough that a ping leaves within the keepalive, which the
    // broker holds to 1.5 times.
    housekeeping_->setInterval(kKeepaliveSeconds * 1000 / 3);
    housekeeping_->onTick = [this] { housekeeping(); };
    retry_->onTick = [this] {
        retry_->setEnabled(false);
        connectNow();
    };
    // Data may wait in the TLS layer, where the socket watch cannot see it.
    more_->setInterval(0);
    more_->onTick = [this] {
        more_->setEnabled(false);
        if (fd_ >= 0 && (state_ == State::Connecting || state_ == State::Connected))
            readable();
    };
}

MqttClient::~MqttClient()
{
    housekeeping_->onTick = nullptr;
    retry_->onTick = nullptr;
    more_->onTick = nullptr;
    watch_.reset();
    if (job_) {
        // A lookup may hang for long: the program's end does not wait for it.
        const std::lock_guard<std::mutex> g(job_->lock);
        if (!job_->finished) {
            job_->abandoned = true;
            m_ = nullptr;
        }
    }
    if (m_)
        mq::mosquitto_destroy(m_);
}

bool MqttClient::start()
{
    QString why;
    if (!mq::load(&why)) {
        setState(State::Idle, why);
        return false;
    }
    m_ = mq::mosquitto_new(o_.clientId.toUtf8().constData(), true, this);
    if (!m_) {
        setState(State::Idle, QStringLiteral("libmosquitto could not start: %1").arg(reason(MOSQ_ERR_ERRNO)));
        return false;
    }
    mq::mosquitto_int_option(m_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // No limit on messages awaiting the broker's acknowledgement: with one,
    // the discovery burst would hold later messages back, and "offline" at
    // the end could stay queued behind them while the disconnect goes out.
    mq::mosquitto_max_inflight_messages_set(m_, 0);
    mq::mosquitto_connect_callback_set(m_, connectCallback);
    mq::mosquitto_message_callback_set(m_, messageCallback);
    // libmosquitto tells why a TLS connection failed only in its log.
    mq::mosquitto_log_callback_set(m_, logCallback);
    int rc = MOSQ_ERR_SUCCESS;
    if (!o_.username.isEmpty())
        rc = mq::mosquitto_username_pw_set(m_, o_.username.toUtf8().constData(),
                                       o_.password.isEmpty() ? nullptr : o_.password.toUtf8().constData());
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mq::mosquitto_will_set(m_, o_.willTopic.toUtf8().constData(), int(o_.willPayload.size()),
                                o_.willPayload.constData(), 1, true);
    if (rc == MOSQ_ERR_SUCCESS && !o_.tls.isEmpty()) {
        // The broker's certificate and name are checked: libmosquitto does
        // both unless told otherwise, and nothing here tells it otherwise.
        if (o_.tls == QLatin1String("system"))
            rc = mq::mosquitto_tls_set(m_, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr);
        else
            rc = mq::mosquitto_tls_set(m_, o_.tls.toLocal8Bit().constData(), nullptr, nullptr, nullptr, nullptr);
        if (rc == MOSQ_ERR_SUCCESS)
            rc = mq::mosquitto_tls_opts_set(m_, 1 /* verify the peer */, nullptr, nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        setState(State::Idle, QStringLiteral("the MQTT settings are refused: %1").arg(reason(rc)));
        return false;
    }
    connectNow();
    return true;
}

void MqttClient::connectNow()
{
    setState(State::Connecting);
    refused_.clear();
    tlsError_.clear();
    auto job = std::make_shared<ConnectJob>();
    job->m = m_;
    // The connect of a first try counts as the first connection: later
    // tries reconnect with the same host and options.
    job->reconnect = everConnected_ || fd_ >= 0;
    job->host = o_.host.toUtf8();
    job->port = o_.port;
    everConnected_ = true;
    job_ = job;
    // The name lookup and the start of the TCP and TLS connect may wait for
    // the network; the event loop does not. Nothing else touches the
    // handle meanwhile: while connecting, no socket is watched, no timer
    // runs and nothing is published.
    plat_.inBackground(
        [job] {
            errno = 0;
            const int rc = job->reconnect ? mq::mosquitto_reconnect_async(job->m)
                                          : mq::mosquitto_connect_async(job->m, job->host.constData(), job->port,
                                                                        kKeepaliveSeconds);
            const int error = errno;
            const std::lock_guard<std::mutex> g(job->lock);
            job->rc = rc;
            job->error = error;
            job->finished = true;
            if (job->abandoned)
                mq::mosquitto_destroy(job->m);
        },
        [this, job, alive = std::weak_ptr<bool>(alive_)] {
            if (!alive.expired())
                connectDone(job);
        });
}

void MqttClient::connectDone(const std::shared_ptr<ConnectJob> &job)
{
    if (job != job_)
        return;
    job_.reset();
    if (state_ != State::Connecting)
        return;
    if (job->rc != MOSQ_ERR_SUCCESS) {
        errno = job->error;
        lost(failure(job->rc));
        return;
    }
    housekeeping_->setEnabled(true);
    after(MOSQ_ERR_SUCCESS);
}

void MqttClient::readable()
{
    // Read until the socket has nothing more: over TLS, data may wait in
    // the TLS layer where the socket watch cannot see it. After 64 packets
    // the rest is read on the next turn of the event loop, so that a flood
    // neither starves the window nor stays behind in the TLS layer.
    for (int i = 0; m_; ++i) {
        if (i == 64) {
            more_->setEnabled(true);
            break;
        }
        errno = 0;
        const int rc = mq::mosquitto_loop_read(m_, 1);
        const int error = errno;
        // A refusal's reason is noted before the loss is reported.
        deliver();
        if (rc != MOSQ_ERR_SUCCESS || mq::mosquitto_socket(m_) < 0) {
            errno = error;
            after(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc);
            return;
        }
        if (error == EAGAIN || error == EWOULDBLOCK)
            break;
    }
    after(MOSQ_ERR_SUCCESS);
}

void MqttClient::writable()
{
    const int rc = mq::mosquitto_loop_write(m_, 1);
    deliver();
    after(rc);
}

void MqttClient::housekeeping()
{
    const int rc = mq::mosquitto_loop_misc(m_);
    deliver();
    after(rc);
}

void MqttClient::deliver()
{
    // What is handled here may publish, which calls after(): not again here.
    if (delivering_)
        return;
    delivering_ = true;
    while (!notes_.empty()) {
        Note n = std::move(notes_.front());
        notes_.pop_front();
        if (n.connack)
            connack(n.rc);
        else if (onMessage)
            onMessage(n.topic, n.payload, n.retained);
    }
    delivering_ = false;
}

void MqttClient::after(int rc)
{
    if (state_ == State::Waiting || state_ == State::Idle)
        return;
    const int fd = mq::mosquitto_socket(m_);
    if (rc != MOSQ_ERR_SUCCESS || fd < 0) {
        lost(failure(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc));
        return;
    }
    if (fd != fd_) {
        watch_.reset();
        fd_ = fd;
        watch_ = plat_.watchSocket(fd);
        watch_->onReadable = [this] { readable(); };
        watch_->onWritable = [this] { writable(); };
    }
    watch_->watchWrite(mq::mosquitto_want_write(m_));
}

void MqttClient::lost(const QString &why)
{
    watch_.reset();
    fd_ = -1;
    housekeeping_->setEnabled(false);
    more_->setEnabled(false);
    const bool wasConnected = state_ == State::Connected;
    const QString where = QStringLiteral("%1:%2").arg(o_.host).arg(o_.port);
    if (wasConnected) {
        // Two programs with one id take the connection from each other at
        // once, for ever: a copied data folder. Say so once, and try again
        // only at the slowest pace.
        if (now() - connectedAt_ >= kTakeoverSeconds) {
            quickLosses_ = 0;
            clash_ = false;
        } else if (++quickLosses_ >= 2 && !clash_) {
            clash_ = true;
            qCCritical(lcHome).noquote()
                << "MQTT broker" << where << "closes the connection right after each connect: another client uses the id"
                << o_.clientId << "(a copy of this data folder and its pelora.ini?). Give each installation its own"
                << "id in pelora.ini; trying again every" << kLastRetryMs / 1000 << "s";
        }
        if (clash_)
            retryMs_ = kLastRetryMs;
    }
    const QString next = QStringLiteral("(next try in %1 s)").arg(retryMs_ / 1000);
    // The first failure is worth a warning; the tries that follow it only
    // a line for debugging, until a connection has been made again.
    if (!clash_ && (wasConnected || !failing_))
        qCWarning(lcHome).noquote() << "MQTT broker" << where << (wasConnected ? "lost:" : "not reached:") << why << next;
    else
        qCDebug(lcHome).noquote() << "MQTT broker" << where << "not reached:" << why << next;
    failing_ = true;
    setState(State::Waiting, why);
    retry_->setInterval(retryMs_);
    retry_->setEnabled(true);
    retryMs_ = std::min(retryMs_ * 2, kLastRetryMs);
}

double MqttClient::now() const
{
    return plat_.clock->absoluteSeconds();
}

void MqttClient::setState(State s, const QString &why)
{
    const bool changed = s != state_ || why != why_;
    state_ = s;
    why_ = why;
    if (changed && onStateChanged)
        onStateChanged();
}

QString MqttClient::stateText() const
{
    const QString where = QStringLiteral("%1:%2").arg(o_.host).arg(o_.port);
    switch (state_) {
    case State::Connected: return QStringLiteral("MQTT: connected to %1").arg(where);
    case State::Connecting: return QStringLiteral("MQTT: connecting to %1").arg(where);
    case State::Waiting: return QStringLiteral("MQTT: %1 not reached: %2").arg(where, why_);
    case State::Idle: break;
    }
    return QStringLiteral("MQTT: off (%1)").arg(why_);
}

QString MqttClient::failure(int rc) const
{
    if (!refused_.isEmpty())
        return refused_;
    if (rc != MOSQ_ERR_TLS || tlsError_.isEmpty())
        return reason(rc);
    if (!tlsError_.contains(QLatin1String("certificate verify failed")))
        return QStringLiteral("TLS failed: %1").arg(tlsError_);
    const QString by = o_.tls == QLatin1String("system") ? QStringLiteral("a CA this system trusts")
                                                        : QStringLiteral("the CA in %1").arg(o_.tls);
    return QStringLiteral("TLS failed: certificate verify failed; the broker's certificate is not signed by %1, "
                          "or not made out to %2")
        .arg(by, o_.host);
}

void MqttClient::connectCallback(mosquitto *, void *self, int rc)
{
    static_cast<MqttClient *>(self)->notes_.push_back({true, rc, {}, {}});
}

void MqttClient::connack(int rc)
{
    if (rc != 0) {
        // The broker closes the connection after a refusal; the reason is
        // kept for the report of the loss.
        refused_ = QString::fromUtf8(mq::mosquitto_connack_string(rc));
        if (rc == 4 || rc == 5)  // bad user name or password, not authorised
            refused_ += o_.username.isEmpty()
                            ? QStringLiteral(" (no username is set)")
                            : QStringLiteral(" (check username \"%1\" and the password file)").arg(o_.username);
        return;
    }
    if (!clash_)
        retryMs_ = kFirstRetryMs;
    failing_ = false;
    connectedAt_ = now();
    if (!clash_)
        qCInfo(lcHome).noquote() << "MQTT broker" << QStringLiteral("%1:%2").arg(o_.host).arg(o_.port)
                                 << "connected";
    setState(State::Connected);
    if (onConnected)
        onConnected();
}

void MqttClient::messageCallback(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *c = static_cast<MqttClient *>(self);
    if (!message->topic)
        return;
    // The length first: a huge payload is never copied whole.
    int length = std::max(message->payloadlen, 0);
    if (c->o_.maxPayload > 0)
        length = std::min(length, c->o_.maxPayload + 1);
    c->notes_.push_back({false, 0, QString::fromUtf8(message->topic),
                         QByteArray(static_cast<const char *>(message->payload), length), message->retain});
}

void MqttClient::logCallback(mosquitto *, void *self, int level, const char *text)
{
    auto *c = static_cast<MqttClient *>(self);
    if (!text || !(level & MOSQ_LOG_ERR))
        return;
    // "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify
    // failed": the last part is the reason. The first error is the cause.
    const QString line = QString::fromUtf8(text);
    if (line.startsWith(QLatin1String("OpenSSL Error")) && c->tlsError_.isEmpty())
        c->tlsError_ = line.section(u':', -1).trimmed();
    qCDebug(lcHome).noquote() << "libmosquitto:" << line;
}

void MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (state_ != State::Connected)
        return;
    const int rc = mq::mosquitto_publish(m_, nullptr, topic.toUtf8().constData(), int(payload.size()),
                                     payload.constData(), 1, retain);
    // Inside a callback libmosquitto only queues; the caller's loop call
    // looks after the socket then.
    if (rc != MOSQ_ERR_SUCCESS)
        qCDebug(lcHome).noquote() << "MQTT publish on" << topic << "failed:" << reason(rc);
    after(MOSQ_ERR_SUCCESS);
}

void MqttClient::subscribe(const QString &pattern)
{
    if (state_ != State::Connected)
        return;
    mq::mosquitto_subscribe(m_, nullptr, pattern.toUtf8().constData(), 1);
    after(MOSQ_ERR_SUCCESS);
}

void MqttClient::close(const QByteArray &lastWords, int ms)
{
    if (state_ != State::Connected)
        return;
    mq::mosquitto_publish(m_, nullptr, o_.willTopic.toUtf8().constData(), int(lastWords.size()), lastWords.constData(), 1,
                      true);
    mq::mosquitto_disconnect(m_);
    watch_.reset();
    housekeeping_->setEnabled(false);
    retry_->setEnabled(false);
    more_->setEnabled(false);
    // The program is ending: a short blocking wait is fine here.
    QElapsedTimer t;
    t.start();
    while (mq::mosquitto_socket(m_) >= 0 && t.elapsed() < ms) {
        if (mq::mosquitto_loop(m_, 50, 1) != MOSQ_ERR_SUCCESS)
            break;
    }
    fd_ = -1;
    setState(State::Idle, QStringLiteral("closed"));
}

}  // namespace home
