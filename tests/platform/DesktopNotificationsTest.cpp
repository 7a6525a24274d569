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
#include <iterator>
#include <thread>
#include <utility>

#include "platform/DesktopNotifications.h"
#include "support/TempDir.h"

extern char** environ;

namespace {

// Starts argv (on the bus when one is named), its output into a file.
pid_t Start(std::vector<std::string> argv, const std::string& output, const std::string& bus = "") {
    if (!bus.empty()) argv.insert(argv.begin(), {"/usr/bin/env", "DBUS_SESSION_BUS_ADDRESS=" + bus});
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void Stop(pid_t& pid) {
    if (pid > 0 && ::kill(pid, SIGTERM) == 0) ::waitpid(std::exchange(pid, 0), nullptr, 0);
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file's first line, once written whole (up to 10 s).
std::string FirstLine(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        std::ifstream in(path);
        std::string line;
        if (std::getline(in, line) && !in.eof()) return line;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

class NotificationsTest : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(__SANITIZE_THREAD__)
        GTEST_SKIP() << "GLib's own locking is invisible to ThreadSanitizer (the library is not instrumented)";
#endif
        if (::access("/usr/bin/dbus-daemon", X_OK) != 0 || ::access("/usr/bin/python3", X_OK) != 0)
            GTEST_SKIP() << "needs dbus-daemon and Debian's python3 (scripts/deps.sh installs them)";
        m_busPid = Start({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"}, dir.File("bus"));
        m_bus = FirstLine(dir.File("bus"));
        ASSERT_FALSE(m_bus.empty()) << "the session bus did not start";
    }
    void TearDown() override {
        Stop(m_serverPid);
        Stop(m_busPid);
    }
    bool StartServer(const std::string& record, bool activate, bool markup = false) {
        std::vector<std::string> argv = {"/usr/bin/python3", SKIMBOLT_TEST_DATA "/../e2e/fake_notifications.py",
                                         dir.File(record)};
        if (activate) argv.push_back("--activate");
        if (markup) argv.push_back("--markup");
        m_serverPid = Start(argv, dir.File(record + ".log"), m_bus);
        return FirstLine(dir.File(record + ".log")) == "ready";
    }
    static NotificationRequest Request(const std::string& summary) {
        return {"Skimbolt", "skimbolt", summary, "Storm floods the harbour\nand 2 more", {{"default", "View Stories"}},
                "com.vantrelgroup.Skimbolt", {2, 2, true, std::vector<unsigned char>(16, 0x80)}};
    }

    CTempDir dir;
    pid_t m_busPid = 0, m_serverPid = 0;
    std::string m_bus;
};

// What a notice carries; only the server that showed it speaks for it; and
// when the server goes away and another takes its place (its ids start
// again at 1), the next notice reaches the new one, whose click comes back
// to that notice, not to the old one of the same server id.
TEST_F(NotificationsTest, HintsAndClicksAndAServerStartedAnew) {
    ASSERT_TRUE(StartServer("first", false));
    CDesktopNotifications client(m_bus);
    std::vector<std::pair<CDesktopNotifications::NoticeId, std::string>> invoked;
    client.SetActionHandler([&](auto id, const std::string& key) { invoked.emplace_back(id, key); });
    const CDesktopNotifications::NoticeId first = client.Notify(Request("one"));
    ASSERT_NE(first, 0u);
    const std::string spoof = "dbus-send --bus='" + m_bus + "' --type=signal /org/freedesktop/Notifications " +
                              "org.freedesktop.Notifications.ActionInvoked uint32:1 string:default";
    ASSERT_EQ(std::system(spoof.c_str()), 0);
    EXPECT_FALSE(CDesktopNotifications::RunEventsUntil([&] { return !invoked.empty(); }, 500));
    Stop(m_serverPid);
    EXPECT_EQ(client.Notify(Request("nobody listens")), 0u);

    ASSERT_TRUE(StartServer("second", true));
    const CDesktopNotifications::NoticeId second = client.Notify(Request("Skimbolt: 3 new stories"));
    ASSERT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(Read(dir.File("second")), "1\tSkimbolt: 3 new stories\tStorm floods the harbour\\nand 2 more\tskimbolt\t"
                                        "com.vantrelgroup.Skimbolt\t2x2:4:16\tdefault,View Stories\n");
    ASSERT_TRUE(CDesktopNotifications::RunEventsUntil([&] { return !invoked.empty(); }, 10000));
    EXPECT_EQ(invoked, (std::vector<std::pair<CDesktopNotifications::NoticeId, std::string>>{{second, "default"}}));
}

// A body is plain text: a server that reads markup gets it escaped, one
// that does not gets it as it is.
TEST_F(NotificationsTest, BodiesAreEscapedForAServerThatReadsMarkup) {
    const std::string body = "<b>Tom & Jerry</b> <img src=\"http://x.example/p.png\"> 'quoted'";
    const std::string escaped =
        "&lt;b&gt;Tom &amp; Jerry&lt;/b&gt; &lt;img src=&quot;http://x.example/p.png&quot;&gt; &apos;quoted&apos;";
    for (const bool bMarkup : {false, true}) {
        const std::string record = bMarkup ? "markup" : "plain";
        ASSERT_TRUE(StartServer(record, false, bMarkup));
        CDesktopNotifications client(m_bus);
        NotificationRequest request = Request("Skimbolt: 1 new story");
        request.body = body;
        ASSERT_NE(client.Notify(request), 0u);
        const std::string line = Read(dir.File(record));
        EXPECT_NE(line.find("\t" + (bMarkup ? escaped : body) + "\t"), std::string::npos) << line;
        Stop(m_serverPid);
        m_serverPid = 0;
    }
}

}  // namespace
