// A hand-edited config.txt cannot make the program misbehave: values it
// could not work with are read as the defaults, and the file keeps them.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/FileUtil.h"
#include "config/NewsSettings.h"
#include "support/TempDir.h"

namespace {

TEST(HandEditedSettings, UnusablePeriodsAndPortsAreReadAsTheDefaults) {
    const struct {
        const char* period;
        int expectedPeriod;
        const char* port;
        int expectedPort;
    } cases[] = {
        {"0", 600, "0", 80},         {"-30", 600, "-1", 80},  {"999999999", 600, "65536", 80},
        {"10", 10, "1", 1},          {"86400", 86400, "65535", 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.period);
        CTempDir dir;
        std::filesystem::create_directories(dir.File("Data"));
        const std::string text = std::string("D F0000003 Poll_Period ") + c.period + " " + c.period +
                                 "\r\nD F000000F Proxy_Port_Num " + c.port + " " + c.port + "\r\n";
        ASSERT_TRUE(WriteFileAtomically(dir.File("Data/config.txt"), text));
        CNewsSettings settings;
        settings.SetFileName(dir.Path());
        settings.Load();
        EXPECT_EQ(settings.GetPollPeriod(), c.expectedPeriod);
        EXPECT_EQ(settings.GetProxyPort(), c.expectedPort);
        std::string after;
        ReadWholeFile(dir.File("Data/config.txt"), after);
        EXPECT_EQ(after, text) << "the user's file is left as written";
    }
}

}  // namespace
