#include "platform/NetworkProbe.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

NetworkProbeResult ProbeNetworkInterfaces()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return NetworkProbeResult::Unknown;
    NetworkProbeResult result = NetworkProbeResult::NotConnected;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr)
            continue;
        const int family = entry->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6)
            continue;
        if ((entry->ifa_flags & IFF_UP) == 0 || (entry->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        result = NetworkProbeResult::Connected;
        break;
    }
    freeifaddrs(list);
    return result;
}
