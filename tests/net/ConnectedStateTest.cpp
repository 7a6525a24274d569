#include "net/ConnectedState.h"

#include <gtest/gtest.h>

// 0 and the LAN flag when connected, 1 when not, a failure when the probe cannot tell.
TEST(ConnectedState, ReportsWhatTheInterfaceProbeSays) {
    EXPECT_EQ(GetConnectedState(nullptr), E_INVALIDARG_RESULT);
    std::uint32_t flags = 0;
    const NetworkProbeFunction previous = SetNetworkProbe([] { return NetworkProbeResult::Connected; });
    EXPECT_EQ(GetConnectedState(&flags), 0);
    EXPECT_EQ(flags, CONNECTION_LAN);
    SetNetworkProbe([] { return NetworkProbeResult::NotConnected; });
    EXPECT_EQ(GetConnectedState(&flags), 1);
    EXPECT_EQ(flags, 0u);
    SetNetworkProbe([] { return NetworkProbeResult::Unknown; });
    EXPECT_EQ(GetConnectedState(&flags), E_FAIL_RESULT);
    SetNetworkProbe(previous);
}
