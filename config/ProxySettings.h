// ProxySettings: the proxy part of the settings as one page fetch uses it,
// copied in one step so that a fetch never mixes an old server with a new
// password.
#pragma once

#include <string>

class CNewsSettings;

struct ProxySettings {
    int useProxy = 0;
    std::string server;
    int port = 80;
    std::string user;
    std::string password;
};

// Reads the five proxy values under the settings' lock.
ProxySettings ReadProxySettings(CNewsSettings& settings);
