#include "model/device_model.h"

#include "link/command_codes.h"
#include "model/dump.h"

#include <algorithm>

namespace sim {

namespace {

bool isGroupChar(char c)
{
    return c == '2' || c == '3' || c == '9' || c == ':' || c == ';' || c == '<';
}

bool isKnown(std::string_view code)
{
    return std::find(cmd::all.begin(), cmd::all.end(), code) != cmd::all.end();
}

bool isSourceCode(std::string_view code)
{
    return code == cmd::SourceTv || code == cmd::SourceTuner || code == cmd::TunerFm
        || code == cmd::SourceTape1 || code == cmd::SourceTape2 || code == cmd::SourcePhono
        || code == cmd::SourceCd;
}

void toggle(bool &b) { b = !b; }

void stepLevel(int &level, int step, int lowest, int highest)
{
    level = std::clamp(level + step, lowest, highest);
}

}  // namespace

int presetKeySlot(std::string_view code)
{
    for (std::size_t i = 0; i < cmd::presetOfSlot.size(); ++i)
        if (cmd::presetOfSlot[i] == code)
            return int(i) + 1;
    return 0;
}

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
    Reception r = Reception::Acted;
    if (silent_)
        r = Reception::Off;
    else if (!isKnown(code))
        r = Reception::Unknown;
    else if (state_.standby && !isSourceCode(code))
        r = Reception::Standby;
    received_.push_back({t, code, r});

    const bool backToBack = !prevCode_.empty() && t - prevCodeEnd_ <= backToBackGap;
    PeerReply reply;
    if (r == Reception::Acted)
        reply = act(code, t, backToBack && prevCodeHeard_);
    prevCode_ = code;
    prevCodeEnd_ = t;
    prevCodeHeard_ = r == Reception::Acted;
    return reply;
}

PeerReply DeviceModel::act(const std::string &code, double t, bool backToBack)
{
    const bool lowBassStep = lowBassArmed_ && backToBack;
    lowBassArmed_ = false;

    if (const int keySlot = presetKeySlot(code)) {
        preset(keySlot, code, backToBack && prevCode_ == code);
        return {};
    }
    hold_.count = 0;

    DeviceState &s = state_;
    const bool tone = !s.equaliser;  // the tone stage is bypassed while the equaliser is on

    if (code == cmd::StatusRequest)
        return answerStatus(t);
    if (code == cmd::SourceTv) s.source = Source::Tv;
    else if (code == cmd::SourceTape1) s.source = Source::Tape1;
    else if (code == cmd::SourceTape2) s.source = Source::Tape2;
    else if (code == cmd::SourcePhono) s.source = Source::Phono;
    else if (code == cmd::SourceCd) s.source = Source::Cd;
    else if (code == cmd::SourceTuner) {
        // The tuner key lands on AM; FM has a key of its own, which the
        // remote sends right after this one. Each band keeps its station.
        s.source = Source::Tuner;
        s.band = Band::Am;
    } else if (code == cmd::TunerFm) {
        s.source = Source::Tuner;
        s.band = Band::Fm;
    } else if (code == cmd::PowerOff) goToStandby();
    else if (code == cmd::PresetStepForward) stepPreset(+1);
    else if (code == cmd::PresetStepBack) stepPreset(-1);
    else if (code == cmd::VolumeUp) stepLevel(s.volume, +1, 1, 81);
    else if (code == cmd::VolumeDown) stepLevel(s.volume, -1, 1, 81);
    else if (code == cmd::BalanceRight) stepLevel(s.balance, +1, -80, 80);
    else if (code == cmd::BalanceLeft) stepLevel(s.balance, -1, -80, 80);
    else if (code == cmd::BalanceCentre) s.balance = 0;
    else if (code == cmd::BassUp || code == cmd::BassDown) {
        if (tone)
            stepLevel(lowBassStep ? s.lowBass : s.bass, code == cmd::BassUp ? 2 : -2, -10, 10);
    } else if (code == cmd::BassCentre) {
        if (tone) s.bass = 0;
    } else if (code == cmd::TrebleUp) {
        if (tone) stepLevel(s.treble, +2, -10, 10);
    } else if (code == cmd::TrebleDown) {
        if (tone) stepLevel(s.treble, -2, -10, 10);
    } else if (code == cmd::LowBass) lowBassArmed_ = true;
    else if (code == cmd::Loudness) toggle(s.loudness);
    else if (code == cmd::Mute) toggle(s.mute);
    else if (code == cmd::Speaker1) toggle(s.speaker1);
    else if (code == cmd::Speaker2) toggle(s.speaker2);
    else if (code == cmd::Mono) toggle(s.mono);
    else if (code == cmd::HBlend) toggle(s.hblend);
    else if (code == cmd::Filter20Hz) toggle(s.filter20Hz);
    else if (code == cmd::Equaliser) toggle(s.equaliser);
    else if (code == cmd::Copy) toggle(s.copying);
    else if (code == cmd::TestDisplay) ++s.displayTests;
    else if (!cdKey(code)) transport(code);

    if (isSourceCode(code))
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
void DeviceModel::transport(const std::string &code)
{
    switch (state_.source) {
    case Source::Tuner:
        if (code == cmd::Forward)
            seek(+1);
        else if (code == cmd::Rewind)
            seek(-1);
        break;
    case Source::Tape1: tapeKey(state_.tape1, code); break;
    case Source::Tape2: tapeKey(state_.tape2, code); break;
    case Source::Phono: phonoKey(code); break;
    case Source::Cd:
        if (code == cmd::AutoSpaceRepeat)
            toggle(state_.cd.repeat);
        break;
    case Source::Tv: break;
    }
}

void DeviceModel::tapeKey(TapeDeck &d, const std::string &code)
{
    const bool moving = d.transport == Transport::Playing || d.transport == Transport::Recording;
    if (code == cmd::Start) {
        d.transport = d.recordArmed ? Transport::Recording : Transport::Playing;
        d.recordArmed = false;
    } else if (code == cmd::TapeStop) {
        d.transport = Transport::Stopped;
        d.recordArmed = false;
    } else if (code == cmd::PauseLift) {
        if (moving) {
            d.beforePause = d.transport;
            d.transport = Transport::Paused;
        } else if (d.transport == Transport::Paused) {
            d.transport = d.beforePause;
        }
    } else if (code == cmd::Forward) d.transport = Transport::Forward;
    else if (code == cmd::Rewind) d.transport = Transport::Rewind;
    else if (code == cmd::TapeRecord) {
        if (d.transport == Transport::Playing)
            d.transport = Transport::Recording;
        else if (d.transport != Transport::Recording)
            d.recordArmed = true;
    } else if (code == cmd::TapeReset) ++d.counterResets;
    else if (code == cmd::TapeSet) ++d.setPresses;
    else if (code == cmd::TapeMemo) toggle(d.memo);
    else if (code == cmd::AutoSpaceRepeat) toggle(d.autoSpace);
}

void DeviceModel::phonoKey(const std::string &code)
{
    RecordPlayer &p = state_.phono;
    if (code == cmd::Start) {
        toggle(p.playing);
        p.armLifted = false;
    } else if (code == cmd::TapeStop) {
        p.playing = false;
    } else if (code == cmd::PauseLift) {
        toggle(p.armLifted);
    } else if (code == cmd::Forward) {
        ++p.cueForward;
    } else if (code == cmd::Rewind) {
        ++p.cueBack;
    }
}

// The CD player has codes of its own and hears them whatever the source.
bool DeviceModel::cdKey(const std::string &code)
{
    CdPlayer &cd = state_.cd;
    if (code == cmd::CdStart) cd.transport = Transport::Playing;
    else if (code == cmd::CdStop) {
        cd.transport = Transport::Stopped;
        cd.track = 1;
        cd.abStage = 0;
    } else if (code == cmd::CdPause) {
        if (cd.transport == Transport::Paused)
            cd.transport = Transport::Playing;
        else if (cd.transport != Transport::Stopped)
            cd.transport = Transport::Paused;
    } else if (code == cmd::CdForward) {
        if (cd.transport != Transport::Stopped)
            cd.transport = Transport::Forward;
    } else if (code == cmd::CdSkipForward) cd.track = std::min(cdTracks, cd.track + 1);
    else if (code == cmd::CdSkipBack) cd.track = std::max(1, cd.track - 1);
    else if (code == cmd::CdGoto) ++cd.gotoPresses;
    else if (code == cmd::CdSet) cd.programmed = std::min(20, cd.programmed + 1);
    else if (code == cmd::CdClear) cd.programmed = 0;
    else if (code == cmd::CdTime) cd.timeMode = (cd.timeMode + 1) % 3;
    else if (code == cmd::CdAB) cd.abStage = (cd.abStage + 1) % 3;
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
