// The keys of the player panels: write the code, flash 0.3 s. Nothing is
// read back.

#include "players/transport_keys.h"

#include "ui/form1.h"

void Form1::transportKey_Click(int index)
{
    if (index < 0 || index >= int(players::transportKeyTable.size()) || index >= int(transportKeys.size()))
        return;
    const players::TransportKey &t = players::transportKeyTable[std::size_t(index)];
    KeyLabel *key = transportKeys[std::size_t(index)];
    const bool extra = players::isExtraFunction(t.panel);
    writeCode(t.code);
    key->setBackColor(extra ? colours::silver : colours::green);
    // Another key pressed meanwhile runs inside this wait and restores
    // only its own colour.
    Pause(0.3f);
    key->setBackColor(extra ? colours::white : colours::black);
}
