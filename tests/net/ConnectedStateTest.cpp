#include "net/ConnectedState.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectedStateTest, ReportsWhatTheInterfaceProbeSays) {
    EXPECT_EQ(GetConnectedState(nullptr), E_INVALIDARG_RESULT);
    struct Case { NetworkProbeFunction probe; std::int32_t result; std::uint32_t flags; };
    const Case cases[] = {
        {[] { return NetworkProbeResult::Connected; }, 0, CONNECTION_LAN},
        {[] { return NetworkProbeResult::NotConnected; }, 1, 0},
        {[] { return NetworkProbeResult::Unknown; }, E_FAIL_RESULT, 0},
    };
    for (const Case& c : cases) {
        const NetworkProbeFunction previous = SetNetworkProbe(c.probe);
        std::uint32_t flags = 0xFFFFFFFF;
        EXPECT_EQ(GetConnectedState(&flags), c.result);
        EXPECT_EQ(flags, c.flags);
        SetNetworkProbe(previous);
    }
}

}  // namespace
