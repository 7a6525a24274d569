#include "net/ConnectedState.h"

#include <atomic>

namespace {

std::atomic<NetworkProbeFunction> g_probe{&ProbeNetworkInterfaces};

}  // namespace

NetworkProbeFunction SetNetworkProbe(NetworkProbeFunction probe)
{
    return g_probe.exchange(probe != nullptr ? probe : &ProbeNetworkInterfaces);
}

std::int32_t GetConnectedState(std::uint32_t* flags)
{
    if (flags == nullptr)
        return E_INVALIDARG_RESULT;
    switch (g_probe.load()()) {
    case NetworkProbeResult::Connected:
        *flags = CONNECTION_LAN;
        return 0;
    case NetworkProbeResult::NotConnected:
        *flags = 0;
        return 1;
    case NetworkProbeResult::Unknown:
        break;
    }
    *flags = 0;
    return E_FAIL_RESULT;
}
