#include "home/bridge.h"

#include "platform/logging.h"
#include "players/transport_keys.h"
#include "ui/layout.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>

namespace home {

namespace {

using model::Function;
using model::Level;
using model::Source;

enum Kind { KSource, KLevel, KSwitch, KStation, KButton, KStationName, KFrequency, KAnswering };

// The source keys' captions, in the order of model::Source.
const QStringList kSourceOptions = {QStringLiteral("off"),    QStringLiteral("tv"),     QStringLiteral("fm"),
                                    QStringLiteral("am"),     QStringLiteral("tape 1"), QStringLiteral("tape 2"),
                                    QStringLiteral("phono"),  QStringLiteral("cd")};

struct LevelRange {
    int min, max;
};
// The ranges of the window's sliders, in the order of model::Level.
constexpr LevelRange kLevelRanges[] = {{1, 81}, {-80, 80}, {-5, 5}, {-5, 5}};

QString slug(const QString &caption)
{
    if (caption == QLatin1String("<<"))
        return QStringLiteral("back");
    if (caption == QLatin1String(">>"))
        return QStringLiteral("forward");
    QString out;
    for (const QChar c : caption.toLower()) {
        if (c.isLetterOrNumber() && c.unicode() < 128)
            out += c;
        else if (!out.isEmpty() && !out.endsWith(u'_'))
            out += u'_';
    }
    if (caption.startsWith(QLatin1String("<<")))
        out += QStringLiteral("_back");
    if (caption.endsWith(QLatin1String(">>")))
        out += QStringLiteral("_forward");
    while (out.endsWith(u'_'))
        out.chop(1);
    return out;
}

}  // namespace

struct HomeBridge::Entity {
    QString component;
    QString object;
    QString name;
    int kind;
    int arg = 0;      // the level, the function
    QString control;  // the key a switch or button presses
    bool config = false;
};

HomeBridge::HomeBridge(model::Door &door, platform::Platform &platform, MqttSettings settings, QString iniFile)
    : door_(door), plat_(platform), s_(std::move(settings)), iniFile_(std::move(iniFile)),
      stationSettle_(plat_.makeTimer())
{
    const auto add = [this](const char *component, const QString &object, const QString &name, int kind, int arg = 0,
                            const QString &control = QString(), bool config = false) {
        entities_.push_back({QLatin1String(component), object, name, kind, arg, control, config});
    };
    add("select", QStringLiteral("source"), QStringLiteral("Source"), KSource);
    const char *levels[] = {"Volume", "Balance", "Bass", "Treble"};
    for (int i = 0; i < model::kLevelCount; ++i)
        add("number", QString::fromLatin1(levels[i]).toLower(), QLatin1String(levels[i]), KLevel, i);
    const struct {
        Function f;
        const char *object, *name, *control;
    } switches[] = {
        {Function::Mute, "mute", "Mute", "muteK"},
        {Function::Loudness, "loudness", "Loudness", "loudnK"},
        {Function::Equaliser, "equaliser", "Equaliser", "eqK"},
        {Function::Speaker1, "speakers_1", "Speakers 1", "ls1K"},
        {Function::Speaker2, "speakers_2", "Speakers 2", "ls2K"},
        {Function::Mono, "mono", "Mono", "monoK"},
        {Function::HBlend, "high_blend", "High blend", "hblendK"},
        {Function::Filter20Hz, "filter_20hz", "20 Hz filter", "herz"},
        {Function::Advertising, "advertising_fallback", "Advertising fallback", "Werbeauto"},
    };
    for (const auto &sw : switches)
        add("switch", QLatin1String(sw.object), QLatin1String(sw.name), KSwitch, int(sw.f), QLatin1String(sw.control));
    add("select", QStringLiteral("station"), QStringLiteral("Station"), KStation);
    for (const players::TransportKey &k : players::transportKeyTable) {
        const bool cd = k.panel == players::Panel::Cd || k.panel == players::Panel::Cd2;
        const bool tape = k.panel == players::Panel::Tape1 || k.panel == players::Panel::Tape2;
        const QString panel = cd ? QStringLiteral("cd") : tape ? QStringLiteral("tape") : QStringLiteral("phono");
        const QString shown = cd ? QStringLiteral("CD") : tape ? QStringLiteral("Tape") : QStringLiteral("Phono");
        add("button", panel + u'_' + slug(QLatin1String(k.caption)), shown + u' ' + QLatin1String(k.caption), KButton,
            0, QLatin1String(k.control), players::isExtraFunction(k.panel));
    }
    add("button", QStringLiteral("seek_down"), QStringLiteral("Seek down"), KButton, 0, QStringLiteral("autominusK"));
    add("button", QStringLiteral("seek_up"), QStringLiteral("Seek up"), KButton, 0, QStringLiteral("autoplusK"));
    add("button", QStringLiteral("preset_down"), QStringLiteral("Preset down"), KButton, 0, QStringLiteral("progminusK"));
    add("button", QStringLiteral("preset_up"), QStringLiteral("Preset up"), KButton, 0, QStringLiteral("progplusK"));
    add("button", QStringLiteral("ask_status"), QStringLiteral("Ask for status"), KButton);
    add("sensor", QStringLiteral("station_name"), QStringLiteral("Station"), KStationName);
    add("sensor", QStringLiteral("frequency"), QStringLiteral("Frequency"), KFrequency);
    add("binary_sensor", QStringLiteral("answering"), QStringLiteral("Answering"), KAnswering);

    // Thirty captions change one by one: publish them once they settle.
    stationSettle_->setInterval(200);
    stationSettle_->onTick = [this] {
        stationSettle_->setEnabled(false);
        stationKeysChanged();
    };

    const model::HifiModel *m = &door_.model();
    connect(m, &model::HifiModel::sourceChanged, this, [this] { publishStates(KSource); });
    connect(m, &model::HifiModel::levelChanged, this, [this] { publishStates(KLevel); });
    connect(m, &model::HifiModel::functionChanged, this, [this] { publishStates(KSwitch); });
    connect(m, &model::HifiModel::stationChanged, this, [this] {
        publishStates(KStationName);
        publishStates(KFrequency);
    });
    connect(m, &model::HifiModel::bandChanged, this, [this] { publishStates(KFrequency); });
    connect(m, &model::HifiModel::linkChanged, this, [this] { publishStates(KAnswering); });
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
    client_->onMessage = [this](const QString &t, const QByteArray &p) { message(t, p); };
    client_->onStateChanged = [this] { Q_EMIT stateChanged(client_->stateText()); };
}

HomeBridge::~HomeBridge()
{
    stationSettle_->onTick = nullptr;
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
    return double(plat_.clock->date().toJulianDay()) * 86400.0 + plat_.clock->secondsSinceMidnight();
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
    for (const Entity &e : entities_)
        publishState(e);
    // Only the program's own command topics.
    client_->subscribe(s_.baseTopic + QStringLiteral("/+/set"));
}

QStringList HomeBridge::stationOptions() const
{
    // Options must differ from each other: a key without a caption, or
    // with the caption of one before it, is named by its number too.
    QStringList out;
    const auto &captions = door_.model().stationKeyCaptions();
    for (int i = 1; i <= 30; ++i) {
        QString c = captions[size_t(i)].simplified();
        if (c.isEmpty())
            c = QStringLiteral("key %1").arg(i);
        else if (out.contains(c))
            c += QStringLiteral(" (key %1)").arg(i);
        out << c;
    }
    return out;
}

void HomeBridge::publishConfig(const Entity &e)
{
    QJsonObject c;
    c[QStringLiteral("name")] = e.name;
    c[QStringLiteral("unique_id")] = QStringLiteral("pelora_") + s_.id + u'_' + e.object;
    c[QStringLiteral("availability_topic")] = s_.baseTopic + QStringLiteral("/availability");
    c[QStringLiteral("device")] = QJsonObject{
        {QStringLiteral("identifiers"), QJsonArray{QStringLiteral("pelora_") + s_.id}},
        {QStringLiteral("name"), QStringLiteral("Ondal Sonvera")},
        {QStringLiteral("manufacturer"), QStringLiteral("Ondal")},
        {QStringLiteral("model"), QStringLiteral("Sonvera")},
        {QStringLiteral("sw_version"), QStringLiteral("Pelora ") + QCoreApplication::applicationVersion()},
    };
    if (e.kind != KButton)
        c[QStringLiteral("state_topic")] = topic(e, "state");
    if (e.kind == KSource || e.kind == KLevel || e.kind == KSwitch || e.kind == KStation || e.kind == KButton)
        c[QStringLiteral("command_topic")] = topic(e, "set");
    switch (e.kind) {
    case KSource: c[QStringLiteral("options")] = QJsonArray::fromStringList(kSourceOptions.mid(1) << kSourceOptions[0]); break;
    case KStation:
        stationOptionsSent_ = stationOptions();
        c[QStringLiteral("options")] = QJsonArray::fromStringList(stationOptionsSent_);
        break;
    case KLevel:
        c[QStringLiteral("min")] = kLevelRanges[e.arg].min;
        c[QStringLiteral("max")] = kLevelRanges[e.arg].max;
        c[QStringLiteral("step")] = 1;
        c[QStringLiteral("mode")] = QStringLiteral("slider");
        break;
    case KButton: c[QStringLiteral("payload_press")] = QStringLiteral("PRESS"); break;
    case KAnswering: c[QStringLiteral("device_class")] = QStringLiteral("connectivity"); break;
    default: break;
    }
    if (e.config)
        c[QStringLiteral("entity_category")] = QStringLiteral("config");
    client_->publish(configTopic(e.component, e.object), QJsonDocument(c).toJson(QJsonDocument::Compact), true);
}

QByteArray HomeBridge::statePayload(const Entity &e) const
{
    const model::HifiModel &m = door_.model();
    switch (e.kind) {
    case KSource: return kSourceOptions[int(m.source())].toUtf8();
    case KLevel: return QByteArray::number(m.level(Level(e.arg)));
    case KSwitch: return m.function(Function(e.arg)) ? "ON" : "OFF";
    case KStation: {
        const int lit = m.litStationKey();
        // Home Assistant reads "None" as no option chosen.
        return lit >= 1 && lit <= 30 ? stationOptions()[lit - 1].toUtf8() : QByteArray("None");
    }
    case KStationName: return m.station().name.toUtf8();
    case KFrequency: {
        const QString f = m.station().frequency;
        if (f.isEmpty())
            return {};
        const QString band = !m.band().isEmpty() ? m.band() : m.source() == Source::Am ? QStringLiteral("AM") : QStringLiteral("FM");
        return (f + (band == QLatin1String("AM") ? QStringLiteral(" kHz") : QStringLiteral(" MHz"))).toUtf8();
    }
    case KAnswering: return m.link().answering ? "ON" : "OFF";
    default: return {};
    }
}

void HomeBridge::publishState(const Entity &e, bool always)
{
    if (e.kind == KButton || !client_->connected())
        return;
    const QString t = topic(e, "state");
    const QByteArray payload = statePayload(e);
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

void HomeBridge::stationKeysChanged()
{
    for (const Entity &e : entities_) {
        if (e.kind != KStation)
            continue;
        if (client_->connected() && stationOptions() != stationOptionsSent_)
            publishConfig(e);
        publishState(e);
    }
}

void HomeBridge::refuse(const QString &topic, BadInput why)
{
    int held = 0;
    if (!badInputLog_.allow(now(), &held))
        return;
    QString line = QStringLiteral("MQTT command on %1 refused: %2").arg(topic.left(200), QLatin1String(describe(why)));
    if (held > 0)
        line += QStringLiteral(" (and %1 more refused since the last such line)").arg(held);
    qCWarning(lcHome).noquote() << line;
}

void HomeBridge::message(const QString &t, const QByteArray &payload)
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
    BadInput why = BadInput::None;
    const std::optional<QString> text = payloadText(payload, &why);
    if (!text) {
        refuse(t, why);
        return;
    }
    command(*entity, *text);
}

model::Door::Done HomeBridge::doneFor(const Entity &e)
{
    const QString object = e.object;
    return [this, object](bool ran) {
        if (ran)
            return;
        for (const Entity &x : entities_) {
            if (x.object != object)
                continue;
            qCWarning(lcHome).noquote() << "MQTT command on" << topic(x, "set")
                                        << "dropped: the window stayed busy for 6 s";
            // Home Assistant shows what it asked for until it hears otherwise.
            publishState(x, true);
        }
    };
}

void HomeBridge::command(const Entity &e, const QString &text)
{
    BadInput why = BadInput::None;
    const QString where = topic(e, "set");
    switch (e.kind) {
    case KSource: {
        const int i = optionIndex(kSourceOptions, text, &why);
        if (i < 0)
            return refuse(where, why);
        door_.chooseSource(Source(i), doneFor(e));
        return;
    }
    case KLevel: {
        const std::optional<int> v = parseLevel(text, kLevelRanges[e.arg].min, kLevelRanges[e.arg].max, &why);
        if (!v)
            return refuse(where, why);
        door_.setLevel(Level(e.arg), *v, doneFor(e));
        return;
    }
    case KSwitch: {
        const std::optional<bool> on = parseOnOff(text, &why);
        if (!on)
            return refuse(where, why);
        // The key toggles: press it only when the state differs, and only
        // once while a press waits for the window.
        if (door_.model().function(Function(e.arg)) == *on || switchPending_[e.object]) {
            publishState(e, true);
            return;
        }
        switchPending_[e.object] = true;
        model::Door::Done done = doneFor(e);
        door_.pressKey(e.control, [this, object = e.object, done](bool ran) {
            switchPending_[object] = false;
            done(ran);
        });
        return;
    }
    case KStation: {
        const int i = optionIndex(stationOptions(), text, &why);
        if (i < 0)
            return refuse(where, why);
        door_.tuneStationKey(i + 1, doneFor(e));
        return;
    }
    case KButton:
        if (text != QLatin1String("PRESS"))
            return refuse(where, BadInput::UnknownOption);
        if (e.control.isEmpty())
            door_.askStatus(doneFor(e));
        else
            door_.pressKey(e.control, doneFor(e));
        return;
    default: refuse(where, BadInput::UnknownTopic);
    }
}

}  // namespace home
