#include "home/bridge.h"

#include "platform/logging.h"
#include "model/remote_names.h"
#include "store/frequency.h"
#include "ui/layout.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>

#include <algorithm>

namespace home {

namespace {

using model::Function;
using model::Level;
using model::Source;

enum Kind { KSource, KLevel, KSwitch, KStation, KButton, KStationName, KFrequency, KAnswering };

const QStringList &kSourceOptions = model::sourceNames();
using model::kLevelRanges;
using model::slug;

bool isTuner(Source s)
{
    return s == Source::Fm || s == Source::Am;
}

// The frequency number of a text, 0 when it does not read.
long long frequencyOf(const QString &text)
{
    try {
        return store::frequencyNumber(text);
    } catch (const store::ConversionError &) {
        return 0;
    }
}

// "87.90 MHz" or "1440 kHz".
QString withUnit(const QString &frequency)
{
    return frequency + (frequencyOf(frequency) >= 2000 ? QStringLiteral(" MHz") : QStringLiteral(" kHz"));
}

}  // namespace

struct HomeBridge::Entity {
    QString component;
    QString object;
    QString name;
    int kind;
    int arg = 0;       // the level, the function
    QString control;   // the key a switch or button presses
    QString category;  // "config", "diagnostic" or none
};

HomeBridge::HomeBridge(model::Door &door, platform::Platform &platform, MqttSettings settings, QString iniFile)
    : door_(door), plat_(platform), s_(std::move(settings)), iniFile_(std::move(iniFile)),
      stationSettle_(plat_.makeTimer()), allStates_(plat_.makeTimer())
{
    const auto add = [this](const char *component, const QString &name, int kind, int arg = 0,
                            const QString &control = QString(), const QString &object = QString()) {
        entities_.push_back({QLatin1String(component), object.isEmpty() ? slug(name) : object, name, kind, arg, control, {}});
    };
    add("select", QStringLiteral("Source"), KSource);
    const char *levels[] = {"Volume", "Balance", "Bass", "Treble"};
    for (int i = 0; i < model::kLevelCount; ++i)
        add("number", QLatin1String(levels[i]), KLevel, i);
    for (const model::RemoteKey &k : model::remoteKeys())
        if (k.function >= 0)
            add("switch", k.name, KSwitch, k.function, k.control, k.object);
    add("select", QStringLiteral("Station"), KStation);
    for (const model::RemoteKey &k : model::remoteKeys()) {
        if (k.function >= 0)
            continue;
        add("button", k.name, KButton, 0, k.control, k.object);
        if (k.extra)
            entities_.back().category = QStringLiteral("config");
    }
    add("button", QStringLiteral("Ask for status"), KButton, 0, QString(), QStringLiteral("ask_status"));
    add("sensor", QStringLiteral("Station name"), KStationName);
    add("sensor", QStringLiteral("Frequency"), KFrequency);
    add("binary_sensor", QStringLiteral("Answering"), KAnswering);
    entities_.back().category = QStringLiteral("diagnostic");

    // Thirty captions change one by one: publish them once they settle.
    stationSettle_->setInterval(200);
    stationSettle_->onTick = [this] {
        stationSettle_->setEnabled(false);
        stationKeysChanged();
    };
    // The dump that says the device answers sets the rest right after.
    allStates_->setInterval(100);
    allStates_->onTick = [this] {
        allStates_->setEnabled(false);
        publishAllStates();
    };

    const model::HifiModel *m = &door_.model();
    connect(m, &model::HifiModel::sourceChanged, this, [this] {
        publishStates(KSource);
        publishStates(KStation);
    });
    connect(m, &model::HifiModel::levelChanged, this, [this] { publishStates(KLevel); });
    connect(m, &model::HifiModel::functionChanged, this, [this] { publishStates(KSwitch); });
    connect(m, &model::HifiModel::stationChanged, this, [this] {
        publishStates(KStationName);
        publishStates(KFrequency);
        publishStates(KStation);
    });
    connect(m, &model::HifiModel::bandChanged, this, [this] { publishStates(KFrequency); });
    connect(m, &model::HifiModel::linkChanged, this, [this] {
        publishStates(KAnswering);
        if (deviceAnswers())
            allStates_->setEnabled(true);
    });
    connect(m, &model::HifiModel::stationKeysChanged, this, [this] { stationSettle_->setEnabled(true); });

    MqttClient::Options o;
    o.host = s_.host;
    o.port = s_.port;
    o.username = s_.username;
    o.password = s_.password;
    o.tls = s_.tls;
    o.clientId = QStringLiteral("pelora-") + s_.id;
    o.willTopic = s_.baseTopic + QStringLiteral("/availability");
    o.willPayload = "offline";
    o.maxPayload = kMaxPayloadBytes;
    client_ = std::make_unique<MqttClient>(plat_, o);
    client_->onConnected = [this] { connected(); };
    client_->onMessage = [this](const QString &t, const QByteArray &p, bool retained) { message(t, p, retained); };
    client_->onStateChanged = [this] { Q_EMIT stateChanged(client_->stateText()); };
}

HomeBridge::~HomeBridge()
{
    stationSettle_->onTick = nullptr;
    allStates_->onTick = nullptr;
}

bool HomeBridge::start()
{
    return client_->start();
}

void HomeBridge::close()
{
    client_->close("offline", 2000);
}

QString HomeBridge::stateText() const
{
    return client_->stateText();
}

void HomeBridge::showStateIn(QWidget *place)
{
    auto *line = new QLabel(place);
    line->setObjectName(QStringLiteral("LabelMqtt"));
    QPalette pal = line->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    line->setPalette(pal);
    ui::place(line, 0, 585, 1815, 195);
    // The whole text in the tooltip; the line takes what fits.
    auto show = [line](const QString &text) {
        line->setText(line->fontMetrics().elidedText(text, Qt::ElideRight, line->width()));
        line->setToolTip(text);
        line->setAccessibleName(text);
    };
    show(stateText());
    connect(this, &HomeBridge::stateChanged, line, show);
}

double HomeBridge::now() const
{
    return plat_.clock->absoluteSeconds();
}

bool HomeBridge::deviceAnswers() const
{
    return door_.model().link().answering;
}

QString HomeBridge::topic(const Entity &e, const char *leaf) const
{
    return s_.baseTopic + u'/' + e.object + u'/' + QLatin1String(leaf);
}

QString HomeBridge::configTopic(const QString &component, const QString &object) const
{
    return s_.discoveryPrefix + u'/' + component + QStringLiteral("/pelora_") + s_.id + u'/' + object +
           QStringLiteral("/config");
}

void HomeBridge::connected()
{
    published_.clear();
    // Only the program's own command topics, and before "online": the
    // broker takes packets in order, so whoever sees the program online
    // can command it at once.
    client_->subscribe(s_.baseTopic + QStringLiteral("/+/set"));
    client_->publish(s_.baseTopic + QStringLiteral("/availability"), "online", true);
    QStringList now;
    for (const Entity &e : entities_) {
        publishConfig(e);
        now << e.component + u'/' + e.object;
    }
    // What an earlier run published and this one does not: an empty
    // retained config makes Home Assistant drop it.
    for (const QString &old : publishedEntities(iniFile_)) {
        const qsizetype slash = old.indexOf(u'/');
        if (!now.contains(old) && slash > 0)
            client_->publish(configTopic(old.left(slash), old.mid(slash + 1)), QByteArray(), true);
    }
    setPublishedEntities(iniFile_, now);
    publishAllStates();
}

std::vector<HomeBridge::Option> HomeBridge::stationOptions() const
{
    // One option per station the keys hold, whatever the keys show and in
    // whichever order: FM, then AM, each by frequency.
    std::vector<std::pair<long long, Option>> stations;
    for (const model::Station &st : door_.model().keyStations()) {
        const long long n = frequencyOf(st.frequency);
        if (n <= 0 || std::any_of(stations.begin(), stations.end(), [n](const auto &x) { return x.first == n; }))
            continue;
        QString text = withUnit(st.frequency);
        if (!st.name.isEmpty())
            text += QStringLiteral(" – ") + st.name;
        stations.push_back({n, {text, st.frequency}});
    }
    std::sort(stations.begin(), stations.end(), [](const auto &a, const auto &b) {
        const bool fmA = a.first >= 2000, fmB = b.first >= 2000;
        return fmA != fmB ? fmA : a.first < b.first;
    });
    std::vector<Option> out;
    for (auto &s : stations)
        out.push_back(std::move(s.second));
    return out;
}

void HomeBridge::publishConfig(const Entity &e)
{
    QJsonObject c;
    c[QStringLiteral("name")] = e.name;
    c[QStringLiteral("unique_id")] = QStringLiteral("pelora_") + s_.id + u'_' + e.object;
    c[QStringLiteral("object_id")] = QStringLiteral("ondal_sonvera_") + e.object;
    const QJsonObject bridge{{QStringLiteral("topic"), s_.baseTopic + QStringLiteral("/availability")}};
    if (e.kind == KAnswering) {
        c[QStringLiteral("availability")] = QJsonArray{bridge};
    } else {
        // The device's own: greyed out while it does not answer.
        const Entity &answering = entities_.back();
        c[QStringLiteral("availability")] = QJsonArray{
            bridge, QJsonObject{{QStringLiteral("topic"), topic(answering, "state")},
                                {QStringLiteral("payload_available"), QStringLiteral("ON")},
                                {QStringLiteral("payload_not_available"), QStringLiteral("OFF")}}};
        c[QStringLiteral("availability_mode")] = QStringLiteral("all");
    }
    c[QStringLiteral("device")] = QJsonObject{
        {QStringLiteral("identifiers"), QJsonArray{QStringLiteral("pelora_") + s_.id}},
        {QStringLiteral("name"), QStringLiteral("Ondal Sonvera")},
        {QStringLiteral("manufacturer"), QStringLiteral("Ondal")},
        {QStringLiteral("model"), QStringLiteral("Sonvera")},
        {QStringLiteral("sw_version"), QStringLiteral("Pelora ") + QCoreApplication::applicationVersion()},
    };
    c[QStringLiteral("origin")] = QJsonObject{
        {QStringLiteral("name"), QStringLiteral("Pelora")},
        {QStringLiteral("sw_version"), QCoreApplication::applicationVersion()},
    };
    if (e.kind != KButton)
        c[QStringLiteral("state_topic")] = topic(e, "state");
    if (e.kind == KSource || e.kind == KLevel || e.kind == KSwitch || e.kind == KStation || e.kind == KButton)
        c[QStringLiteral("command_topic")] = topic(e, "set");
    switch (e.kind) {
    case KSource: c[QStringLiteral("options")] = QJsonArray::fromStringList(kSourceOptions.mid(1) << kSourceOptions[0]); break;
    case KStation: {
        stationOptionsSent_.clear();
        for (const Option &o : stationOptions())
            stationOptionsSent_ << o.text;
        c[QStringLiteral("options")] = QJsonArray::fromStringList(stationOptionsSent_);
        break;
    }
    case KLevel:
        c[QStringLiteral("min")] = kLevelRanges[e.arg].min;
        c[QStringLiteral("max")] = kLevelRanges[e.arg].max;
        c[QStringLiteral("step")] = 1;
        c[QStringLiteral("mode")] = QStringLiteral("slider");
        break;
    case KButton: c[QStringLiteral("payload_press")] = QStringLiteral("PRESS"); break;
    case KFrequency:
        c[QStringLiteral("device_class")] = QStringLiteral("frequency");
        c[QStringLiteral("unit_of_measurement")] = QStringLiteral("kHz");
        c[QStringLiteral("state_class")] = QStringLiteral("measurement");
        break;
    case KAnswering: c[QStringLiteral("device_class")] = QStringLiteral("connectivity"); break;
    default: break;
    }
    if (!e.category.isEmpty())
        c[QStringLiteral("entity_category")] = e.category;
    client_->publish(configTopic(e.component, e.object), QJsonDocument(c).toJson(QJsonDocument::Compact), true);
}

QString HomeBridge::currentValue(const Entity &e) const
{
    const model::HifiModel &m = door_.model();
    switch (e.kind) {
    case KSource: return kSourceOptions[int(m.source())];
    case KSwitch: return m.function(Function(e.arg)) ? QStringLiteral("ON") : QStringLiteral("OFF");
    case KStation: {
        const long long tuned = frequencyOf(m.station().frequency);
        if (!isTuner(m.source()) || tuned <= 0)
            return QString();
        for (const Option &o : stationOptions())
            if (frequencyOf(o.frequency) == tuned)
                return o.text;
        return QString();
    }
    default: return QString();
    }
}

QByteArray HomeBridge::statePayload(const Entity &e) const
{
    const model::HifiModel &m = door_.model();
    switch (e.kind) {
    case KSource:
    case KSwitch: return currentValue(e).toUtf8();
    case KLevel: return QByteArray::number(m.level(Level(e.arg)));
    case KStation: {
        // Home Assistant reads "None" as no option chosen.
        const QString v = currentValue(e);
        return v.isEmpty() ? QByteArray("None") : v.toUtf8();
    }
    case KStationName: {
        const model::Station &st = m.station();
        if (st.frequency.isEmpty())
            return {};
        return (st.name.isEmpty() ? withUnit(st.frequency) : st.name).toUtf8();
    }
    case KFrequency: {
        // In kHz: one unit for both bands, a number Home Assistant can draw.
        const long long n = frequencyOf(m.station().frequency);
        if (n <= 0)
            return {};
        return QByteArray::number(n >= 2000 ? n * 10 : n);
    }
    case KAnswering: return m.link().answering ? "ON" : "OFF";
    default: return {};
    }
}

void HomeBridge::publishState(const Entity &e, bool always)
{
    if (e.kind == KButton || !client_->connected())
        return;
    // Only what the device has said: nothing before its first dump, nothing
    // while it does not answer (the entities are greyed out then).
    if (e.kind != KAnswering && !deviceAnswers())
        return;
    const QString t = topic(e, "state");
    const QByteArray payload = statePayload(e);
    if (payload.isEmpty())
        return;  // no station between two: the last one stays
    const auto it = published_.find(t);
    if (!always && it != published_.end() && it->second == payload)
        return;
    published_[t] = payload;
    client_->publish(t, payload, true);
}

void HomeBridge::publishStates(int kind)
{
    for (const Entity &e : entities_)
        if (e.kind == kind)
            publishState(e);
}

void HomeBridge::publishAllStates()
{
    for (const Entity &e : entities_)
        publishState(e);
}

void HomeBridge::stationKeysChanged()
{
    for (const Entity &e : entities_) {
        if (e.kind != KStation)
            continue;
        QStringList options;
        for (const Option &o : stationOptions())
            options << o.text;
        if (client_->connected() && options != stationOptionsSent_)
            publishConfig(e);
        publishState(e);
    }
}

void HomeBridge::refuse(const QString &topic, BadInput why)
{
    int held = 0;
    if (!badInputLog_.allow(now(), &held))
        return;
    qCWarning(lcHome).noquote() << platform::RateLimit::withHeld(
        QStringLiteral("MQTT command on %1 refused: %2").arg(topic.left(200), QLatin1String(describe(why))), held);
}

void HomeBridge::message(const QString &t, const QByteArray &payload, bool retained)
{
    const QString prefix = s_.baseTopic + u'/';
    const Entity *entity = nullptr;
    if (t.startsWith(prefix) && t.endsWith(QLatin1String("/set"))) {
        const QString object = t.mid(prefix.size(), t.size() - prefix.size() - 4);
        for (const Entity &e : entities_)
            if (e.object == object && (e.kind == KSource || e.kind == KLevel || e.kind == KSwitch ||
                                       e.kind == KStation || e.kind == KButton))
                entity = &e;
    }
    if (!entity) {
        refuse(t, BadInput::UnknownTopic);
        return;
    }
    // A command the broker kept from before replays at every connect: an
    // old "off" would switch the hi-fi off after each broker restart.
    if (retained) {
        if (retainedTold_.insert(t).second)
            qCWarning(lcHome).noquote() << "MQTT command on" << t.left(200)
                                        << "ignored: it is retained on the broker, not sent now; commands must not "
                                           "be retained (clear it with mosquitto_pub -r -n -t"
                                        << t.left(200) + u')';
        return;
    }
    BadInput why = BadInput::None;
    const std::optional<QString> text = payloadText(payload, &why);
    if (!text) {
        refuse(t, why);
        return;
    }
    command(*entity, *text);
}

void HomeBridge::dropped(const Entity &e)
{
    int held = 0;
    if (droppedLog_.allow(now(), &held))
        qCWarning(lcHome).noquote() << platform::RateLimit::withHeld(
            QStringLiteral("MQTT command on %1 dropped: the window stayed busy for 6 s").arg(topic(e, "set")), held);
    // Home Assistant shows what it asked for until it hears otherwise.
    publishState(e, true);
}

void HomeBridge::command(const Entity &e, const QString &text)
{
    BadInput why = BadInput::None;
    const QString where = topic(e, "set");
    switch (e.kind) {
    case KSource:
        if (optionIndex(kSourceOptions, text, &why) < 0)
            return refuse(where, why);
        return submit(e, text);
    case KLevel: {
        const std::optional<int> v = parseLevel(text, kLevelRanges[e.arg].min, kLevelRanges[e.arg].max, &why);
        if (!v)
            return refuse(where, why);
        // The slider joins levels that follow each other into one move.
        door_.setLevel(Level(e.arg), *v, [this, entity = &e](bool ran) {
            if (!ran)
                dropped(*entity);
        });
        return;
    }
    case KSwitch: {
        const std::optional<bool> on = parseOnOff(text, &why);
        if (!on)
            return refuse(where, why);
        return submit(e, *on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    }
    case KStation: {
        QStringList options;
        for (const Option &o : stationOptions())
            options << o.text;
        if (optionIndex(options, text, &why) < 0)
            return refuse(where, why);
        return submit(e, text);
    }
    case KButton:
        if (text != QLatin1String("PRESS"))
            return refuse(where, BadInput::UnknownOption);
        return submit(e, text);
    default: refuse(where, BadInput::UnknownTopic);
    }
}

void HomeBridge::submit(const Entity &e, const QString &value)
{
    if (e.kind == KButton) {
        // Two presses are two presses, as two clicks are: "skip" twice
        // skips two tracks. The door's 6 s bound a flood of them.
        const auto done = [this, entity = &e](bool ran) {
            if (!ran)
                dropped(*entity);
        };
        if (e.control.isEmpty())
            door_.askStatus(done);
        else
            door_.pressKey(e.control, done);
        return;
    }
    wanted_[e.object] = value;
    if (waiting_.count(e.object))
        return;  // the request at the door takes the newest value
    // What already is needs nothing: "fm" again would step the station
    // key captions, a switch key would toggle.
    if (value == currentValue(e))
        return;
    waiting_.insert(e.object);
    const Entity *entity = &e;
    model::Door::Wanted still = [this, entity, value] {
        return wanted_[entity->object] == value && currentValue(*entity) != value;
    };
    model::Door::Done done = [this, entity, value](bool ran) {
        waiting_.erase(entity->object);
        if (!ran) {
            dropped(*entity);
            return;
        }
        // A newer value came while this one waited: now its turn.
        const QString newest = wanted_[entity->object];
        if (newest != value)
            submit(*entity, newest);
    };
    bool taken = true;
    switch (e.kind) {
    case KSource: door_.chooseSource(Source(kSourceOptions.indexOf(value)), std::move(done), std::move(still)); break;
    case KStation: {
        const auto options = stationOptions();
        const auto o = std::find_if(options.begin(), options.end(), [&](const Option &x) { return x.text == value; });
        taken = o != options.end();
        if (taken)
            door_.tuneStation(o->frequency, std::move(done), std::move(still));
        break;
    }
    case KSwitch: taken = door_.pressKey(e.control, std::move(done), std::move(still)); break;
    default: taken = false;
    }
    if (!taken)
        waiting_.erase(e.object);
}

}  // namespace home
