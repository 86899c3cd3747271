#pragma once
// What the hi-fi is doing, as data: the link, the source, the station, the
// levels, the on/off functions, whether the window is busy, and what the
// program last asked of each player. The window's procedures set it where
// they set the displays; each real change is signalled once. Outside
// callers read it here and never look at the window's controls.

#include <QObject>
#include <QString>

#include <array>

namespace model {

// After Off, in the order of the source keys.
enum class Source { Off, Tv, Fm, Am, Tape1, Tape2, Phono, Cd };
// In the order of the window's sliders.
enum class Level { Volume, Balance, Bass, Treble };
inline constexpr int kLevelCount = 4;
// The functions whose key wears an on colour.
enum class Function { Mute, Loudness, Equaliser, Speaker1, Speaker2, Mono, HBlend, Filter20Hz, Advertising };
inline constexpr int kFunctionCount = 9;
// What the program last asked of a player. The device never reports it.
enum class Request { Unknown, Play, Pause, Stop };

struct Station {
    QString frequency;  // as the tuner reports it, without blanks; empty: none
    QString name;       // from the station list, if it has the frequency
    QString note;
    bool operator==(const Station &) const = default;
};

struct Link {
    QString device;  // the device chosen by path; empty: the COM<n> port
    int portNumber = 0;
    bool open = false;
    bool answering = false;  // the device answered the last status request
    bool operator==(const Link &) const = default;
};

// The port in use and the state of the line, in words for the user:
// "COM1: offen, das Gerät antwortet".
QString linkText(const Link &link);

class HifiModel : public QObject {
    Q_OBJECT
public:
    const Link &link() const { return link_; }
    Source source() const { return source_; }
    // "FM", "AM" or empty.
    const QString &band() const { return band_; }
    const Station &station() const { return station_; }
    int level(Level l) const { return levels_[size_t(l)]; }
    bool function(Function f) const { return functions_[size_t(f)]; }
    // The captions of station keys 1..30 as the window shows them (index
    // 0 unused), and the key of the station now tuned (0: none is lit).
    const std::array<QString, 31> &stationKeyCaptions() const { return stationKeys_; }
    int litStationKey() const { return litStationKey_; }
    // The station behind each key 1..30 (index 0 unused; an empty frequency:
    // none). The keys are sorted by what they show, so a station's key may
    // change; the set of stations does not.
    const std::array<Station, 31> &keyStations() const { return keyStations_; }
    // An exchange with the device, a burst or a handler's wait is under way.
    bool busy() const { return busy_; }
    // `player` is the player's source: Tape1, Tape2, Phono or Cd.
    Request request(Source player) const;

    void setLink(const Link &link);
    void setLineOpen(bool open);
    void setAnswering(bool answering);
    void setSource(Source source);
    void setBand(const QString &band);
    void setStation(const Station &station);
    void setLevel(Level l, int value);
    void setStationKeyCaption(int key, const QString &caption);
    void setLitStationKey(int key);
    void setKeyStations(const std::array<Station, 31> &stations);
    void setFunction(Function f, bool on);
    void setBusy(bool busy);
    void setRequest(Source player, Request r);

Q_SIGNALS:
    void linkChanged();
    void sourceChanged(model::Source source);
    void bandChanged();
    void stationChanged();
    // A caption or the lit key changed.
    void stationKeysChanged();
    void levelChanged(model::Level level, int value);
    void functionChanged(model::Function function, bool on);
    void busyChanged(bool busy);
    void requestChanged(model::Source player, model::Request request);

private:
    Link link_;
    Source source_ = Source::Off;
    QString band_;
    Station station_;
    std::array<QString, 31> stationKeys_;
    int litStationKey_ = 0;
    std::array<Station, 31> keyStations_;
    std::array<int, kLevelCount> levels_{};
    std::array<bool, kFunctionCount> functions_{};
    bool busy_ = false;
    std::array<Request, 8> requests_{};  // by Source
};

}  // namespace model
