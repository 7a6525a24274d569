// The notification client against the stand-in notification server on a
// session bus of the test's own: what a notice carries (icon, desktop entry,
// picture, the default action), the default action coming back to the
// handler (and only from the server that showed the notice), and a server
// started anew taking the next notice.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/FileUtil.h"
#include "platform/DesktopNotifications.h"
#include "support/TempDir.h"

extern char** environ;

namespace {

// A program the test starts, its standard output in a file; ended with the test.
class CChild {
public:
    CChild(const std::vector<std::string>& argv, const std::string& output, const std::string& busAddress = "") {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("DBUS_SESSION_BUS_ADDRESS=", 0) != 0) env.emplace_back(*e);
        if (!busAddress.empty()) env.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress);
        std::vector<char*> args, envp;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        args.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        if (posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) m_pid = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~CChild() { Stop(); }
    CChild(const CChild&) = delete;
    CChild& operator=(const CChild&) = delete;
    void Stop() {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = 0;
    }
    bool Started() const { return m_pid > 0; }

private:
    pid_t m_pid = 0;
};

// The file's first line, once it has one (up to 10 s).
std::string WaitForLine(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        std::ifstream in(path);
        std::string line;
        if (std::getline(in, line) && in.good()) return line;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    return fields;
}

class NotificationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access("/usr/bin/dbus-daemon", X_OK) != 0 || ::access("/usr/bin/python3", X_OK) != 0)
            GTEST_SKIP() << "needs dbus-daemon and Debian's python3 (scripts/deps.sh installs them)";
        m_bus = std::make_unique<CChild>(
            std::vector<std::string>{"/usr/bin/dbus-daemon", "--config-file=/usr/share/dbus-1/session.conf",
                                     "--nofork", "--print-address=1"},
            dir.File("bus"));
        m_address = WaitForLine(dir.File("bus"));
        ASSERT_FALSE(m_address.empty()) << "the session bus did not start";
    }
    // Starts a notification server recording into record; false when it did not come up.
    bool StartServer(const std::string& record, bool activate) {
        std::vector<std::string> argv = {"/usr/bin/python3", std::string(SKIMBOLT_TEST_DATA) + "/../e2e/fake_notifications.py",
                                         dir.File(record)};
        if (activate) argv.push_back("--activate");
        m_server = std::make_unique<CChild>(argv, dir.File(record + ".log"), m_address);
        return WaitForLine(dir.File(record + ".log")) == "ready";
    }
    static NotificationRequest Request(const std::string& summary) {
        NotificationRequest request;
        request.appName = "Skimbolt";
        request.appIcon = "skimbolt";
        request.summary = summary;
        request.body = "Storm floods the harbour\nand 2 more";
        request.actions = {{"default", "View Stories"}};
        request.desktopEntry = "com.vantrelgroup.Skimbolt";
        request.image.width = request.image.height = 2;
        request.image.pixels.assign(2 * 2 * 4, 0x80);
        return request;
    }

    CTempDir dir;
    std::unique_ptr<CChild> m_bus;
    std::unique_ptr<CChild> m_server;
    std::string m_address;
};

TEST_F(NotificationsTest, NoticeCarriesIconEntryAndPictureAndItsDefaultActionComesBack) {
    ASSERT_TRUE(StartServer("notices", true));
    CDesktopNotifications client(m_address);
    std::vector<std::pair<CDesktopNotifications::NoticeId, std::string>> invoked;
    client.SetActionHandler([&](CDesktopNotifications::NoticeId id, const std::string& key) {
        invoked.emplace_back(id, key);
    });
    const CDesktopNotifications::NoticeId id = client.Notify(Request("Skimbolt: 3 new stories"));
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(CDesktopNotifications::RunEventsUntil([&] { return !invoked.empty(); }, 10000));
    EXPECT_EQ(invoked[0].first, id);
    EXPECT_EQ(invoked[0].second, "default");

    const std::vector<std::string> lines = Lines(dir.File("notices"));
    ASSERT_EQ(lines.size(), 1u);
    const std::vector<std::string> expected = {"1", "Skimbolt: 3 new stories", "Storm floods the harbour\\nand 2 more",
                                               "skimbolt", "com.vantrelgroup.Skimbolt", "2x2:4:16",
                                               "default,View Stories"};
    EXPECT_EQ(Fields(lines[0]), expected);

    // Text that is not UTF-8 still goes out, repaired; a notice without a
    // picture or actions carries none.
    NotificationRequest plain = Request("Skimbolt: cannot save \xff.dat");
    plain.image = {};
    plain.actions.clear();
    EXPECT_NE(client.Notify(plain), 0u);
    const std::vector<std::string> second = Fields(Lines(dir.File("notices")).at(1));
    ASSERT_EQ(second.size(), 6u);  // no actions: the last field is empty
    EXPECT_EQ(second[1], "Skimbolt: cannot save \xef\xbf\xbd.dat");
    EXPECT_EQ(second[5], "-");
}

// The server goes away and another takes its place (its ids start again at
// 1): the next notice reaches the new one, and the new one's action comes to
// the new notice, not the old one of the same server id.
TEST_F(NotificationsTest, AServerStartedAnewTakesTheNextNotice) {
    ASSERT_TRUE(StartServer("first", false));
    CDesktopNotifications client(m_address);
    std::vector<CDesktopNotifications::NoticeId> invoked;
    client.SetActionHandler([&](CDesktopNotifications::NoticeId id, const std::string&) { invoked.push_back(id); });
    const CDesktopNotifications::NoticeId first = client.Notify(Request("one"));
    ASSERT_NE(first, 0u);
    // Only the server that showed a notice speaks for it: the same signal
    // from another program on the bus is no click.
    const std::string spoof = "dbus-send --bus='" + m_address +
                              "' --type=signal /org/freedesktop/Notifications "
                              "org.freedesktop.Notifications.ActionInvoked uint32:1 string:default";
    ASSERT_EQ(std::system(spoof.c_str()), 0);
    EXPECT_FALSE(CDesktopNotifications::RunEventsUntil([&] { return !invoked.empty(); }, 500));
    m_server->Stop();
    EXPECT_EQ(client.Notify(Request("nobody listens")), 0u);

    ASSERT_TRUE(StartServer("second", true));
    const CDesktopNotifications::NoticeId second = client.Notify(Request("two"));
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    ASSERT_EQ(Lines(dir.File("second")).size(), 1u);
    EXPECT_EQ(Fields(Lines(dir.File("second"))[0]).at(1), "two");
    ASSERT_TRUE(CDesktopNotifications::RunEventsUntil([&] { return !invoked.empty(); }, 10000));
    EXPECT_EQ(invoked, std::vector<CDesktopNotifications::NoticeId>{second});
    EXPECT_EQ(Lines(dir.File("first")).size(), 1u);
}

TEST(Notifications, WithoutABusNothingIsShownAndNothingFails) {
    CTempDir dir;
    CDesktopNotifications client("unix:path=" + dir.File("no-bus"));
    EXPECT_EQ(client.Notify(NotificationRequest{}), 0u);
}

}  // namespace
