#include "model/remote_codes.h"

namespace sim {

std::optional<RemoteKey> remoteKeyOf(std::string_view code)
{
    for (const RemoteCode &c : remoteCodes)
        if (c.code == code)
            return c.key;
    return std::nullopt;
}

int presetSlot(RemoteKey key)
{
    const int slot = int(key) - int(RemoteKey::Preset1) + 1;
    return slot >= 1 && slot <= 10 ? slot : 0;
}

}  // namespace sim
