#include "net/ConnectedState.h"

#include <gtest/gtest.h>

namespace {

TEST(ConnectedStateTest, ReportsWhatTheInterfaceProbeSays) {
    EXPECT_EQ(GetConnectedState(nullptr), E_INVALIDARG_RESULT);
    struct Case {
        NetworkProbeFunction probe;
        std::int32_t result;
        std::uint32_t flags;
    };
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

    // The system probe: whether this machine has a network is not known here,
    // but the interface list must be readable and the flags match the answer.
    SetNetworkProbe(nullptr);
    std::uint32_t flags = 0xFFFFFFFF;
    const std::int32_t result = GetConnectedState(&flags);
    ASSERT_TRUE(result == 0 || result == 1) << result;
    EXPECT_EQ(flags, result == 0 ? CONNECTION_LAN : 0u);
}

}  // namespace
