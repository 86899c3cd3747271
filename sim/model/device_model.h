#pragma once
// A model of the hi-fi system at the far end of the serial line. It cuts the
// incoming bytes into three-character codes, changes its state for each, and
// answers the status request "0:7" with the 79-character dump.

#include "model/device_state.h"
#include "model/remote_codes.h"
#include "platform/line_peer.h"

#include <cstddef>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class Reception {
    Acted,    // the device did what the code says
    Standby,  // in standby only source codes are heard
    Off,      // switched off (silent fault): nothing is heard
    Unknown,  // well-formed, but no code of the remote control
};

struct ReceivedCode {
    double time;  // when its third character had arrived
    std::string code;
    Reception reception;
};

struct SentAnswer {
    double time;  // when the request had arrived
    std::string bytes;
    double delay;
};

enum class Garbage {
    None,
    Replace,  // every character of the answer replaced by a random byte
    Noise,    // a few random bytes slipped in between the characters
};

class DeviceModel : public LinePeer {
public:
    static constexpr double charTime = 1.0 / 30.0;  // 10 bits at 300 baud
    static constexpr double reactionTime = 0.05;
    // A partial code older than this is a leftover and is dropped.
    static constexpr double maxCharGap = 0.25;
    // Codes whose ends lie at most this far apart count as back to back
    // (100 ms is one code on the line).
    static constexpr double backToBackGap = 0.15;
    // A held preset key: from the 10th code in a row it tunes slot +10, from
    // the 20th slot +20. The tenth key needs a longer hold (30 codes) to
    // reach slot 30, which is why the remote sends it 35 times.
    static constexpr int holdPlus10 = 10;
    static constexpr int holdPlus20 = 20;
    static constexpr int holdPlus20TenthKey = 30;

    explicit DeviceModel(const SlotMemory &slots = defaultSlots());

    PeerReply byteArrived(char c, double t) override;

    const DeviceState &state() const { return state_; }
    // Tests may arrange any state directly.
    DeviceState &state() { return state_; }
    void setSlots(const SlotMemory &slots) { state_.slots = slots; }

    const std::vector<ReceivedCode> &received() const { return received_; }
    const std::vector<SentAnswer> &answers() const { return answers_; }
    // Bytes dropped while looking for the start of a code.
    std::size_t strayBytes() const { return strayBytes_; }
    void clearLog();

    // Faults on demand.
    void setSilent(bool on) { silent_ = on; }
    bool silent() const { return silent_; }
    void setStopAfter(std::optional<std::size_t> chars) { stopAfter_ = chars; }
    void setGarbage(Garbage g) { garbage_ = g; }
    void setExtraDelay(double seconds) { extraDelay_ = seconds; }
    void setSeed(unsigned seed) { random_.seed(seed); }
    // Line noise on the tuner's frequency: in the next `dumps` answers given
    // while memory slot `slot` is tuned (all of them when negative), one
    // character of the frequency field arrives as '?'.
    void spoilFrequency(int slot, int dumps = -1) { spoiled_[slot] = dumps; }

private:
    PeerReply codeArrived(const std::string &code, double t);
    PeerReply act(RemoteKey key, const std::string &code, double t, bool backToBack);
    PeerReply answerStatus(double t);
    void preset(int keySlot, const std::string &code, bool backToBack);
    void tuneSlot(int slot);
    void stepPreset(int direction);
    void seek(int direction);
    void transport(RemoteKey key);
    void tapeKey(TapeDeck &deck, RemoteKey key);
    void phonoKey(RemoteKey key);
    bool cdKey(RemoteKey key);
    void goToStandby();

    DeviceState state_;
    std::string partial_;
    double lastByteTime_ = -1e9;
    std::size_t strayBytes_ = 0;

    std::string prevCode_;
    double prevCodeEnd_ = -1e9;
    bool prevCodeHeard_ = false;
    bool lowBassArmed_ = false;

    // The preset key being held, and the tuner as it was before the hold.
    struct Hold {
        std::string code;
        int count = 0;
        Source source = Source::Tuner;
        Band band = Band::Fm;
        Station fm, am;
        int slot = 0;
    } hold_;

    std::vector<ReceivedCode> received_;
    std::vector<SentAnswer> answers_;

    bool silent_ = false;
    std::optional<std::size_t> stopAfter_;
    Garbage garbage_ = Garbage::None;
    double extraDelay_ = 0.0;
    std::mt19937 random_{20240601u};
    std::map<int, int> spoiled_;  // slot -> dumps still to spoil
};

}  // namespace sim
