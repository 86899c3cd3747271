#pragma once
// What sits at the far end of a serial line: the hi-fi system, or a model of
// it. Plain C++ so that the device model needs no Qt.

#include <string>

// Reply to a byte: characters to send back, starting `delay` seconds after
// the byte has arrived. Empty when the device says nothing.
struct PeerReply {
    std::string bytes;
    double delay = 0.0;
};

class LinePeer {
public:
    virtual ~LinePeer() = default;
    // One character from the program has fully arrived at time `t`
    // (seconds on the line's own clock).
    virtual PeerReply byteArrived(char c, double t) = 0;
};
