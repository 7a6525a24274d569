#include "config/ProxySettings.h"

#include "config/NewsSettings.h"

ProxySettings ReadProxySettings(CNewsSettings& settings) {
    CRecursiveLockGuard lock(settings);
    ProxySettings proxy;
    proxy.useProxy = settings.GetFlag(SETTING_USE_PROXY);
    proxy.server = settings.GetProxyServerName();
    proxy.port = settings.GetProxyPort();
    proxy.user = settings.GetProxyUserName();
    proxy.password = settings.GetProxyPassword();
    return proxy;
}
