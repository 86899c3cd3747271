#include "model/device_model.h"

#include "model/dump.h"
#include "model/remote_codes.h"

#include <algorithm>

namespace sim {

namespace {

using K = RemoteKey;

bool isGroupChar(char c)
{
    return c == '2' || c == '3' || c == '9' || c == ':' || c == ';' || c == '<';
}

bool isSourceKey(K key)
{
    return key == K::SourceTv || key == K::SourceTuner || key == K::BandFm || key == K::SourceTape1
        || key == K::SourceTape2 || key == K::SourcePhono || key == K::SourceCd;
}

void toggle(bool &b) { b = !b; }

void stepLevel(int &level, int step, int lowest, int highest)
{
    level = std::clamp(level + step, lowest, highest);
}

}  // namespace

DeviceModel::DeviceModel(const SlotMemory &slots)
{
    state_.slots = slots;
    if (slots[0]) {
        state_.slot = 1;
        state_.band = slots[0]->band;
        (slots[0]->band == Band::Fm ? state_.fm : state_.am) = *slots[0];
    }
}

void DeviceModel::clearLog()
{
    received_.clear();
    answers_.clear();
    strayBytes_ = 0;
}

PeerReply DeviceModel::byteArrived(char c, double t)
{
    if (!partial_.empty() && t - lastByteTime_ > maxCharGap) {
        strayBytes_ += partial_.size();
        partial_.clear();
    }
    lastByteTime_ = t;

    // '0' never stands inside a code, so it always starts a new one.
    if (c == '0') {
        strayBytes_ += partial_.size();
        partial_.assign(1, '0');
        return {};
    }
    const bool fits = (partial_.size() == 1 && isGroupChar(c)) || (partial_.size() == 2 && c >= '1' && c <= 'B');
    if (!fits) {
        strayBytes_ += partial_.size() + 1;
        partial_.clear();
        return {};
    }
    partial_ += c;
    if (partial_.size() < 3)
        return {};
    const std::string code = std::move(partial_);
    partial_.clear();
    return codeArrived(code, t);
}

PeerReply DeviceModel::codeArrived(const std::string &code, double t)
{
    const std::optional<RemoteKey> key = remoteKeyOf(code);
    Reception r = Reception::Acted;
    if (silent_)
        r = Reception::Off;
    else if (!key)
        r = Reception::Unknown;
    else if (state_.standby && !isSourceKey(*key))
        r = Reception::Standby;
    received_.push_back({t, code, r});

    const bool backToBack = !prevCode_.empty() && t - prevCodeEnd_ <= backToBackGap;
    PeerReply reply;
    if (r == Reception::Acted)
        reply = act(*key, code, t, backToBack && prevCodeHeard_);
    prevCode_ = code;
    prevCodeEnd_ = t;
    prevCodeHeard_ = r == Reception::Acted;
    return reply;
}

PeerReply DeviceModel::act(RemoteKey key, const std::string &code, double t, bool backToBack)
{
    const bool lowBassStep = lowBassArmed_ && backToBack;
    lowBassArmed_ = false;

    if (const int keySlot = presetSlot(key)) {
        preset(keySlot, code, backToBack && prevCode_ == code);
        return {};
    }
    hold_.count = 0;

    DeviceState &s = state_;
    const bool tone = !s.equaliser;  // the tone stage is bypassed while the equaliser is on

    if (key == K::StatusRequest)
        return answerStatus(t);
    if (key == K::SourceTv) s.source = Source::Tv;
    else if (key == K::SourceTape1) s.source = Source::Tape1;
    else if (key == K::SourceTape2) s.source = Source::Tape2;
    else if (key == K::SourcePhono) s.source = Source::Phono;
    else if (key == K::SourceCd) s.source = Source::Cd;
    else if (key == K::SourceTuner) {
        // The tuner key lands on AM; FM has a key of its own, which the
        // remote sends right after this one. Each band keeps its station.
        s.source = Source::Tuner;
        s.band = Band::Am;
    } else if (key == K::BandFm) {
        s.source = Source::Tuner;
        s.band = Band::Fm;
    } else if (key == K::Standby) goToStandby();
    else if (key == K::PresetStepForward) stepPreset(+1);
    else if (key == K::PresetStepBack) stepPreset(-1);
    else if (key == K::VolumeUp) stepLevel(s.volume, +1, 1, 81);
    else if (key == K::VolumeDown) stepLevel(s.volume, -1, 1, 81);
    else if (key == K::BalanceRight) stepLevel(s.balance, +1, -80, 80);
    else if (key == K::BalanceLeft) stepLevel(s.balance, -1, -80, 80);
    else if (key == K::BalanceCentre) s.balance = 0;
    else if (key == K::BassUp || key == K::BassDown) {
        if (tone)
            stepLevel(lowBassStep ? s.lowBass : s.bass, key == K::BassUp ? 2 : -2, -10, 10);
    } else if (key == K::BassCentre) {
        if (tone) s.bass = 0;
    } else if (key == K::TrebleUp) {
        if (tone) stepLevel(s.treble, +2, -10, 10);
    } else if (key == K::TrebleDown) {
        if (tone) stepLevel(s.treble, -2, -10, 10);
    } else if (key == K::LowBass) lowBassArmed_ = true;
    else if (key == K::Loudness) toggle(s.loudness);
    else if (key == K::Mute) toggle(s.mute);
    else if (key == K::Speaker1) toggle(s.speaker1);
    else if (key == K::Speaker2) toggle(s.speaker2);
    else if (key == K::Mono) toggle(s.mono);
    else if (key == K::HBlend) toggle(s.hblend);
    else if (key == K::Filter20Hz) toggle(s.filter20Hz);
    else if (key == K::Equaliser) toggle(s.equaliser);
    else if (key == K::Copy) toggle(s.copying);
    else if (key == K::TestDisplay) ++s.displayTests;
    else if (!cdKey(key)) transport(key);

    if (isSourceKey(key))
        s.standby = false;
    return {};
}

void DeviceModel::goToStandby()
{
    state_.standby = true;
    for (TapeDeck *d : {&state_.tape1, &state_.tape2}) {
        d->transport = Transport::Stopped;
        d->recordArmed = false;
    }
    state_.phono.playing = false;
    state_.cd.transport = Transport::Stopped;
    state_.copying = false;
}

// ---- tuner ----

void DeviceModel::preset(int keySlot, const std::string &code, bool held)
{
    if (held && hold_.code == code) {
        ++hold_.count;
    } else {
        hold_ = {code, 1, state_.source, state_.band, state_.fm, state_.am, state_.slot};
    }
    const int plus20 = keySlot == 10 ? holdPlus20TenthKey : holdPlus20;
    int target = 0;
    if (hold_.count == 1)
        target = keySlot;
    else if (hold_.count == holdPlus10)
        target = keySlot + 10;
    else if (hold_.count == plus20)
        target = keySlot + 20;
    if (target == 0)
        return;
    if (state_.slots[target - 1]) {
        tuneSlot(target);
    } else {
        // An empty slot: the tuner stays with what played before the key.
        state_.source = hold_.source;
        state_.band = hold_.band;
        state_.fm = hold_.fm;
        state_.am = hold_.am;
        state_.slot = hold_.slot;
    }
}

void DeviceModel::tuneSlot(int slot)
{
    const Station &st = *state_.slots[slot - 1];
    state_.source = Source::Tuner;
    state_.band = st.band;
    (st.band == Band::Fm ? state_.fm : state_.am) = st;
    state_.slot = slot;
}

void DeviceModel::stepPreset(int direction)
{
    int slot = state_.slot;
    for (int i = 0; i < 30; ++i) {
        if (slot == 0)
            slot = direction > 0 ? 1 : 30;
        else
            slot = (slot - 1 + direction + 30) % 30 + 1;
        if (state_.slots[slot - 1]) {
            tuneSlot(slot);
            return;
        }
    }
}

void DeviceModel::seek(int direction)
{
    const Band band = state_.band;
    std::vector<Station> found = receivableStations(band);
    for (const auto &st : state_.slots)
        if (st && st->band == band)
            found.push_back(*st);
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());

    const Station now = state_.tuned();
    Station next;
    if (direction > 0) {
        auto it = std::upper_bound(found.begin(), found.end(), now);
        next = it == found.end() ? found.front() : *it;
    } else {
        auto it = std::lower_bound(found.begin(), found.end(), now);
        next = it == found.begin() ? found.back() : *(it - 1);
    }
    (band == Band::Fm ? state_.fm : state_.am) = next;
    state_.slot = 0;
}

// ---- players ----

// The transport group is shared by the decks and the record player; on the
// tuner ">>" and "<<" seek. The device sends each key to the source playing.
void DeviceModel::transport(RemoteKey key)
{
    switch (state_.source) {
    case Source::Tuner:
        if (key == K::Forward)
            seek(+1);
        else if (key == K::Rewind)
            seek(-1);
        break;
    case Source::Tape1: tapeKey(state_.tape1, key); break;
    case Source::Tape2: tapeKey(state_.tape2, key); break;
    case Source::Phono: phonoKey(key); break;
    case Source::Cd:
        if (key == K::AutoSpaceRepeat)
            toggle(state_.cd.repeat);
        break;
    case Source::Tv: break;
    }
}

void DeviceModel::tapeKey(TapeDeck &d, RemoteKey key)
{
    const bool moving = d.transport == Transport::Playing || d.transport == Transport::Recording;
    if (key == K::Play) {
        d.transport = d.recordArmed ? Transport::Recording : Transport::Playing;
        d.recordArmed = false;
    } else if (key == K::Stop) {
        d.transport = Transport::Stopped;
        d.recordArmed = false;
    } else if (key == K::PauseLift) {
        if (moving) {
            d.beforePause = d.transport;
            d.transport = Transport::Paused;
        } else if (d.transport == Transport::Paused) {
            d.transport = d.beforePause;
        }
    } else if (key == K::Forward) d.transport = Transport::Forward;
    else if (key == K::Rewind) d.transport = Transport::Rewind;
    else if (key == K::Record) {
        if (d.transport == Transport::Playing)
            d.transport = Transport::Recording;
        else if (d.transport != Transport::Recording)
            d.recordArmed = true;
    } else if (key == K::TapeReset) ++d.counterResets;
    else if (key == K::TapeSet) ++d.setPresses;
    else if (key == K::TapeMemo) toggle(d.memo);
    else if (key == K::AutoSpaceRepeat) toggle(d.autoSpace);
}

void DeviceModel::phonoKey(RemoteKey key)
{
    RecordPlayer &p = state_.phono;
    if (key == K::Play) {
        toggle(p.playing);
        p.armLifted = false;
    } else if (key == K::Stop) {
        p.playing = false;
    } else if (key == K::PauseLift) {
        toggle(p.armLifted);
    } else if (key == K::Forward) {
        ++p.cueForward;
    } else if (key == K::Rewind) {
        ++p.cueBack;
    }
}

// The CD player has codes of its own and hears them whatever the source.
bool DeviceModel::cdKey(RemoteKey key)
{
    CdPlayer &cd = state_.cd;
    if (key == K::CdStart) cd.transport = Transport::Playing;
    else if (key == K::CdStop) {
        cd.transport = Transport::Stopped;
        cd.track = 1;
        cd.abStage = 0;
    } else if (key == K::CdPause) {
        if (cd.transport == Transport::Paused)
            cd.transport = Transport::Playing;
        else if (cd.transport != Transport::Stopped)
            cd.transport = Transport::Paused;
    } else if (key == K::CdForward) {
        if (cd.transport != Transport::Stopped)
            cd.transport = Transport::Forward;
    } else if (key == K::CdSkipForward) cd.track = std::min(cdTracks, cd.track + 1);
    else if (key == K::CdSkipBack) cd.track = std::max(1, cd.track - 1);
    else if (key == K::CdGoto) ++cd.gotoPresses;
    else if (key == K::CdSet) cd.programmed = std::min(20, cd.programmed + 1);
    else if (key == K::CdClear) cd.programmed = 0;
    else if (key == K::CdTime) cd.timeMode = (cd.timeMode + 1) % 3;
    else if (key == K::CdAB) cd.abStage = (cd.abStage + 1) % 3;
    else return false;
    return true;
}

// ---- the answer ----

PeerReply DeviceModel::answerStatus(double t)
{
    std::string bytes = buildDump(state_);
    if (const auto spoil = spoiled_.find(state_.slot);
        spoil != spoiled_.end() && spoil->second != 0 && state_.source == Source::Tuner) {
        bytes[dumppos::frequency.pos + 2] = '?';
        if (spoil->second > 0)
            --spoil->second;
    }
    std::uniform_int_distribution<int> anyByte(1, 255);
    if (garbage_ == Garbage::Replace) {
        for (char &c : bytes)
            c = char(anyByte(random_));
    } else if (garbage_ == Garbage::Noise) {
        const int extra = std::uniform_int_distribution<int>(2, 5)(random_);
        for (int i = 0; i < extra; ++i) {
            const auto at = std::uniform_int_distribution<std::size_t>(0, bytes.size())(random_);
            bytes.insert(bytes.begin() + std::ptrdiff_t(at), char(anyByte(random_)));
        }
    }
    if (stopAfter_ && bytes.size() > *stopAfter_)
        bytes.resize(*stopAfter_);
    if (bytes.empty())
        return {};
    PeerReply reply{bytes, reactionTime + extraDelay_};
    answers_.push_back({t, reply.bytes, reply.delay});
    return reply;
}

}  // namespace sim
