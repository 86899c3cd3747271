#include "model/hifi_model.h"

#include <QCoreApplication>

namespace model {

namespace {

// Sets `field` and tells whether it changed.
template <typename T>
bool update(T &field, const T &value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

}  // namespace

QString linkText(const Link &link)
{
    const QString port = link.device.isEmpty() ? QStringLiteral("COM%1").arg(link.portNumber) : link.device;
    if (!link.open)
        return QCoreApplication::translate("HifiModel", "%1: nicht offen, keine Verbindung zum Gerät").arg(port);
    return link.answering ? QCoreApplication::translate("HifiModel", "%1: offen, das Gerät antwortet").arg(port)
                          : QCoreApplication::translate("HifiModel", "%1: offen, das Gerät antwortet nicht").arg(port);
}

Request HifiModel::request(Source player) const
{
    return requests_[size_t(player)];
}

void HifiModel::setLink(const Link &link)
{
    if (update(link_, link))
        Q_EMIT linkChanged();
}

void HifiModel::setLineOpen(bool open)
{
    Link l = link_;
    l.open = open;
    setLink(l);
}

void HifiModel::setAnswering(bool answering)
{
    Link l = link_;
    l.answering = answering;
    setLink(l);
}

void HifiModel::setSource(Source source)
{
    if (update(source_, source))
        Q_EMIT sourceChanged(source);
}

void HifiModel::setBand(const QString &band)
{
    if (update(band_, band))
        Q_EMIT bandChanged();
}

void HifiModel::setStation(const Station &station)
{
    if (update(station_, station))
        Q_EMIT stationChanged();
}

void HifiModel::setLevel(Level l, int value)
{
    if (update(levels_[size_t(l)], value))
        Q_EMIT levelChanged(l, value);
}

void HifiModel::setStationKeyCaption(int key, const QString &caption)
{
    if (key >= 1 && key <= 30 && update(stationKeys_[size_t(key)], caption))
        Q_EMIT stationKeysChanged();
}

void HifiModel::setLitStationKey(int key)
{
    if (update(litStationKey_, key))
        Q_EMIT stationKeysChanged();
}

void HifiModel::setKeyStations(const std::array<Station, 31> &stations)
{
    if (update(keyStations_, stations))
        Q_EMIT stationKeysChanged();
}

void HifiModel::setFunction(Function f, bool on)
{
    if (update(functions_[size_t(f)], on))
        Q_EMIT functionChanged(f, on);
}

void HifiModel::setBusy(bool busy)
{
    if (update(busy_, busy))
        Q_EMIT busyChanged(busy);
}

void HifiModel::setRequest(Source player, Request r)
{
    if (update(requests_[size_t(player)], r))
        Q_EMIT requestChanged(player, r);
}

}  // namespace model
