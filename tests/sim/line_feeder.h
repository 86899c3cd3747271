#pragma once
// Feeds the device model as the serial line would: each character arrives a
// character time after the one before, codes written together leave back to
// back.

#include "model/device_model.h"

#include <string>
#include <string_view>

namespace simtest {

struct LineFeeder {
    explicit LineFeeder(sim::DeviceModel &m) : model(m) {}

    // The characters of `bytes` back to back; returns the bytes of all replies.
    std::string send(std::string_view bytes)
    {
        std::string replies;
        for (char c : bytes) {
            t += sim::DeviceModel::charTime;
            const PeerReply r = model.byteArrived(c, t);
            replies += r.bytes;
            lastDelay = r.delay;
        }
        return replies;
    }

    // One code, then the line stays quiet for a while.
    std::string press(std::string_view code, double quietAfter = 0.5)
    {
        std::string r = send(code);
        t += quietAfter;
        return r;
    }

    // The same code n times back to back, as the code repeater queues it.
    void hold(std::string_view code, int n, double quietAfter = 0.5)
    {
        for (int i = 0; i < n; ++i)
            send(code);
        t += quietAfter;
    }

    std::string status() { return press("0:7"); }

    sim::DeviceModel &model;
    double t = 100.0;
    double lastDelay = 0.0;
};

}  // namespace simtest
