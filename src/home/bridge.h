#pragma once
// The hi-fi on the home network: what the model holds goes out on retained
// MQTT state topics when it changes, with Home Assistant discovery configs
// that describe each entity; what arrives on the command topics goes in
// through the door, as a click would. Reads only the model, acts only
// through the door.
//
//   <base>/availability                  online / offline (the last will)
//   <base>/<entity>/state                retained, on change, while the device answers
//   <base>/<entity>/set                  commands (retained ones are ignored)
//   <prefix>/<component>/pelora_<id>/<entity>/config   discovery, retained
//
// <base> is pelora/<id> unless pelora.ini names another. An entity is
// available while the bridge is online and the device answers.

#include "home/mqtt_client.h"
#include "home/mqtt_settings.h"
#include "home/payloads.h"
#include "model/door.h"
#include "platform/logging.h"

#include <QObject>

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace home {

class HomeBridge : public QObject {
    Q_OBJECT
public:
    // `iniFile` keeps the list of entities published, so that one that is
    // gone can be removed from Home Assistant.
    HomeBridge(model::Door &door, platform::Platform &platform, MqttSettings settings, QString iniFile);
    ~HomeBridge() override;

    // Starts connecting; false, with the reason in stateText(), when the
    // client cannot even start.
    bool start();
    // Says "offline" and leaves the broker cleanly.
    void close();
    // Where MQTT is connected, or why not.
    QString stateText() const;

    struct Entity;

    // A line in `place` (the window's place beside the port list) that
    // shows stateText() as it changes.
    void showStateIn(QWidget *place);

Q_SIGNALS:
    void stateChanged(const QString &text);

private:
    struct Option {
        QString text;       // "87.90 MHz – Bayern 1", "1440 kHz"
        QString frequency;  // as the key holds it
    };

    void connected();
    void message(const QString &topic, const QByteArray &payload, bool retained);
    void refuse(const QString &topic, BadInput why);
    void publishConfig(const Entity &e);
    void publishState(const Entity &e, bool always = false);
    void publishStates(int kind);
    void publishAllStates();
    void stationKeysChanged();
    std::vector<Option> stationOptions() const;
    QString topic(const Entity &e, const char *leaf) const;
    QString configTopic(const QString &component, const QString &object) const;
    QByteArray statePayload(const Entity &e) const;
    // What the entity shows now, as its commands name it.
    QString currentValue(const Entity &e) const;
    void command(const Entity &e, const QString &text);
    // The newest value for a select or switch goes to the door once; while
    // it waits, newer ones only replace its value. Each button press goes.
    void submit(const Entity &e, const QString &value);
    void dropped(const Entity &e);
    bool deviceAnswers() const;
    double now() const;

    model::Door &door_;
    platform::Platform &plat_;
    MqttSettings s_;
    QString iniFile_;
    std::vector<Entity> entities_;
    std::unique_ptr<MqttClient> client_;
    std::map<QString, QByteArray> published_;  // state topic -> payload sent
    QStringList stationOptionsSent_;
    std::unique_ptr<platform::Timer> stationSettle_;
    // The device has just answered again: everything once its dump is in.
    std::unique_ptr<platform::Timer> allStates_;
    std::map<QString, QString> wanted_;  // entity -> newest value asked for
    std::set<QString> waiting_;          // entities with a request at the door
    std::set<QString> retainedTold_;     // retained command topics logged once
    platform::RateLimit badInputLog_{10.0};
    platform::RateLimit droppedLog_{10.0};
};

}  // namespace home
