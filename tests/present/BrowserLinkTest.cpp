// The browser link: Exec lines into argument vectors, the default browser
// from fake XDG folders, starting a fake browser, and the DDE conversations
// against a fake conversation server.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "common/FileUtil.h"
#include "platform/DdeClient.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopSystem.h"
#include "present/BrowserLink.h"
#include "support/TempDir.h"

namespace {

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : "|") + part;
    return out;
}

// A desktop whose XDG folders all lie in one temporary folder.
class CFakeDesktop : public CDesktopSystem {
public:
    explicit CFakeDesktop(const std::string& root) {
        m_env = {{"HOME", root + "home"}, {"XDG_CONFIG_HOME", root + "config"}, {"XDG_CONFIG_DIRS", root + "etc"},
                 {"XDG_DATA_HOME", root + "data"}, {"XDG_DATA_DIRS", root + "share1:relative:" + root + "share2"}};
    }
    std::string GetEnv(const std::string& name) const override {
        auto it = m_env.find(name);
        return it == m_env.end() ? "" : it->second;
    }
    bool QueryDefaultBrowser(std::string& id) const override {
        id = m_strXdgSettings;
        return !id.empty();
    }
    bool StartProcess(const std::vector<std::string>& argv, std::function<void(int)> onExit) const override {
        if (m_bReallyStart) return CDesktopSystem::StartProcess(argv, std::move(onExit));
        if (m_missing.count(argv.at(0))) return false;
        m_started.push_back(Join(argv));
        if (m_exitStatus && onExit) onExit(*m_exitStatus);
        return true;
    }

    std::map<std::string, std::string> m_env;
    std::string m_strXdgSettings;
    bool m_bReallyStart = false;
    std::set<std::string> m_missing;  // programs that cannot be started
    std::optional<int> m_exitStatus;  // every program ends at once with it
    mutable std::vector<std::string> m_started;
};

// A conversation server that offers some service/topic pairs, answers some
// items, and logs every call.
class CFakeDdeServer : public CDdeClient {
public:
    std::uint32_t GetInstanceId() const override { return m_nInstance; }
    bool ReachesBrowsers() const override { return true; }
    Conversation Connect(const std::string& service, const std::string& topic) override {
        m_log.push_back("connect " + service + " " + topic);
        if (!m_offered.count(service + " " + topic)) return 0;
        m_open.push_back(service + " " + topic);
        return m_open.size();
    }
    bool Request(Conversation c, const std::string& item, DdeFormat format, std::uint32_t timeoutMs,
                 std::string& data) override {
        m_log.push_back("request " + item + " format " + std::to_string(static_cast<int>(format)) + " " +
                        std::to_string(timeoutMs));
        auto it = m_answers.find(m_open.at(c - 1) + " " + item);
        if (it == m_answers.end()) return false;
        data = it->second;
        return true;
    }
    void Disconnect(Conversation c) override { m_log.push_back("disconnect " + m_open.at(c - 1)); }

    std::uint32_t m_nInstance = 1;
    std::set<std::string> m_offered;
    std::map<std::string, std::string> m_answers;  // "service topic item" -> data
    std::vector<std::string> m_open;
    std::vector<std::string> m_log;
};

bool WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return WriteFileAtomically(path, text);
}

std::string WindowBytes(std::uint32_t id) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &id, 4);
    return bytes;
}

class BrowserLinkTest : public ::testing::Test {
protected:
    // Installs a desktop file in the first data folder.
    void Install(const std::string& id, const std::string& exec, const std::string& extra = "") {
        ASSERT_TRUE(WriteFile(dir.File("share2/applications/" + id),
                                        "[Desktop Entry]\nName=Web\nIcon=web-icon\nExec=" + exec + "\n" + extra));
    }
    void SetHttpHandlers(const std::string& folder, const std::string& handlers) {
        ASSERT_TRUE(WriteFile(dir.File(folder + "/mimeapps.list"),
                                        "[Added Associations]\nx-scheme-handler/http=added.desktop\n"
                                        "[Default Applications]\n# comment\nx-scheme-handler/http = " +
                                            handlers + "\n"));
    }

    CTempDir dir;
    CFakeDesktop desktop{dir.Path()};
    CFakeDdeServer dde;
    CBrowserLink link{dde, desktop};
};

TEST_F(BrowserLinkTest, ExecLinesBecomeArgumentVectors) {
    Install("web.desktop", "web");
    CDesktopEntry entry;
    ASSERT_TRUE(entry.Load(dir.File("share2/applications/web.desktop")));
    const std::string url = "http://a.example/x y";
    const std::string k = entry.GetPath();
    const struct { const char* exec; std::string argv; } cases[] = {
        {"web %u", "web|" + url},
        {"web --new %U", "web|--new|" + url},
        {"web %F", "web|" + url},
        {"web", "web|" + url},
        {"web --app=%u", "web|--app=" + url},
        {"web %i %c %k 100%% %d %D %n %N %v %m %u", "web|--icon|web-icon|Web|" + k + "|100%|" + url},
        {"web --x%d", "web|--x|" + url},
        {R"("/opt/my web/run" "a \"q\" \$HOME \\ \`x\`" %u)", "/opt/my web/run|a \"q\" $HOME \\ `x`|" + url},
        {R"(sh -c "web %u")", "sh|-c|web %u|" + url},
        {R"(web "open)", ""},
        {"  ", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Join(entry.BuildArgv(c.exec, url)), c.argv) << c.exec;

    entry.SetIcon("");
    EXPECT_EQ(Join(entry.BuildArgv("web %i %u", "u")), "web|u");
}

TEST_F(BrowserLinkTest, DefaultBrowserComesFromTheFirstInstalledHandler) {
    Install("webby.desktop", R"(/opt/webby\sbin --private "%u")");
    Install("other.desktop", "other %u");
    Install("hidden.desktop", "hidden %u", "Hidden=true\n");
    SetHttpHandlers("config", "gone.desktop;hidden.desktop; webby.desktop;other.desktop");
    SetHttpHandlers("data/applications", "other.desktop");

    std::string command, name;
    link.GetBrowserCommand(command);
    EXPECT_EQ(command, R"(/opt/webby bin --private "%u")");
    link.GetDdeApplication(name);
    EXPECT_EQ(name, "webby");
    EXPECT_EQ(link.GetBrowserKind(), CBrowserLink::BROWSER_OTHER);

    // The desktop's own answer comes first; the lists are the fallback.
    desktop.m_strXdgSettings = "other.desktop";
    link.GetBrowserCommand(command);
    EXPECT_EQ(command, "other %u");
    desktop.m_strXdgSettings = "gone.desktop";
    link.GetBrowserCommand(command);
    EXPECT_EQ(command, R"(/opt/webby bin --private "%u")");

    // Later lists and data folders are searched too.
    std::filesystem::remove_all(dir.File("config"));
    std::filesystem::remove_all(dir.File("data"));
    Install("late.desktop", "late %u");
    SetHttpHandlers("share1/applications", "late.desktop");
    link.GetBrowserCommand(command);
    EXPECT_EQ(command, "late %u");
}

TEST_F(BrowserLinkTest, LaunchCutsANetscapeHomeSwitchOnly) {
    const struct { const char* id; const char* exec; const char* argv; } cases[] = {
        {"netscape.desktop", R"(/opt/ns/netscape -H "%u")", "/opt/ns/netscape|u v"},
        {"iexplore.desktop", "/opt/ie/iexplore -nohome", "/opt/ie/iexplore|-nohome|u v"},
        {"other.desktop", "/opt/other -h %u", "/opt/other|-h|u v"},
    };
    for (const auto& c : cases) {
        Install(c.id, c.exec);
        desktop.m_strXdgSettings = c.id;
        desktop.m_started.clear();
        EXPECT_TRUE(link.LaunchBrowser("u v")) << c.id;
        EXPECT_EQ(Join(desktop.m_started), c.argv) << c.id;
    }
    desktop.m_strXdgSettings = "";
    EXPECT_FALSE(link.LaunchBrowser("u"));  // no browser at all
}

TEST_F(BrowserLinkTest, LaunchPassesTheUrlAsOneArgumentWithoutAShell) {
    const std::string script = dir.File("fake browser");
    const std::string out = dir.File("argv.txt");
    ASSERT_TRUE(WriteFile(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + out +
                                                ".part'\nmv '" + out + ".part' '" + out + "'\n"));
    ASSERT_EQ(::chmod(script.c_str(), 0755), 0);
    Install("fake.desktop", "\"" + script + "\" --new-window %u");
    desktop.m_strXdgSettings = "fake.desktop";
    desktop.m_bReallyStart = true;

    const std::string url = "http://x.example/a b?q=\"it's\";touch${IFS}pwned&`id`|$(id)";
    ASSERT_TRUE(link.LaunchBrowser(url));
    std::string text;
    for (int i = 0; i < 500 && !ReadWholeFile(out, text); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(text, "--new-window\n" + url + "\n");

    Install("fake.desktop", "/nonexistent/browser %u");
    EXPECT_FALSE(link.LaunchBrowser(url));

    // The program's exit status comes back when it ends.
    std::atomic<int> status{-1};
    ASSERT_TRUE(CDesktopSystem().StartProcess({"/bin/sh", "-c", "exit 4"}, [&status](int s) { status = s; }));
    for (int i = 0; i < 500 && status < 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(status, 4);
}

// Without a default browser the desktop's opener gets the URL; its failure
// is reported only when it comes soon, and when even the opener is missing
// the caller learns it at once.
TEST_F(BrowserLinkTest, OpenUrlFallsBackToTheDesktopsOpener) {
    int failures = 0;
    auto counted = [&failures] { ++failures; };
    Install("web.desktop", "web %u");
    desktop.m_strXdgSettings = "web.desktop";
    desktop.m_missing = {"web"};  // the entry's program is gone
    desktop.m_exitStatus = 3;
    EXPECT_TRUE(link.OpenUrl("http://a/", counted));
    EXPECT_EQ(Join(desktop.m_started), "xdg-open|http://a/");
    EXPECT_EQ(failures, 1);

    desktop.m_strXdgSettings = "";
    desktop.m_exitStatus = 0;
    EXPECT_TRUE(link.OpenUrl("http://b/", counted));
    EXPECT_EQ(failures, 1);

    desktop.m_missing.insert("xdg-open");
    EXPECT_FALSE(link.OpenUrl("http://c/", counted));
    EXPECT_EQ(failures, 1);

}

TEST_F(BrowserLinkTest, OpenInCurrentWindowConversations) {
    Install("netscape.desktop", "netscape %u");
    desktop.m_strXdgSettings = "netscape.desktop";
    dde.m_offered = {"netscape WWW_Activate", "netscape WWW_GetFrameParent", "netscape WWW_OpenURL"};
    dde.m_answers = {{"netscape WWW_Activate -1", WindowBytes(7)},
                     {"netscape WWW_GetFrameParent 7", WindowBytes(0x2A)},
                     {"netscape WWW_OpenURL \"http://a/\",,42", "ok"}};
    EXPECT_TRUE(link.OpenInCurrentWindow("http://a/"));
    const std::vector<std::string> expected = {
        "connect netscape WWW_Activate", "request -1 format 1 5000", "disconnect netscape WWW_Activate",
        "connect netscape WWW_GetFrameParent", "request 7 format 1 5000", "disconnect netscape WWW_GetFrameParent",
        "connect netscape WWW_OpenURL", "request \"http://a/\",,42 format 1 5000", "disconnect netscape WWW_OpenURL"};
    EXPECT_EQ(dde.m_log, expected);

    // Other browsers: no frame parent, no window id; then the failures.
    dde.m_log.clear();
    Install("webby.desktop", "webby %u");
    desktop.m_strXdgSettings = "webby.desktop";
    dde.m_offered = {"webby WWW_Activate", "webby WWW_OpenURL"};
    dde.m_answers = {{"webby WWW_Activate -1", ""}, {"webby WWW_OpenURL \"u\",,-1", ""}};
    EXPECT_TRUE(link.OpenInCurrentWindow("u"));
    EXPECT_EQ(dde.m_log.size(), 6u);

    dde.m_answers.erase("webby WWW_OpenURL \"u\",,-1");
    EXPECT_FALSE(link.OpenInCurrentWindow("u"));  // the browser did not answer

    dde.m_log.clear();
    dde.m_offered.clear();
    EXPECT_FALSE(link.OpenInCurrentWindow("u"));
    EXPECT_EQ(dde.m_log, std::vector<std::string>{"connect webby WWW_Activate"});

    // The client of this platform finds no browser: callers start one, and
    // nothing offers the current window.
    EXPECT_TRUE(link.CanOpenInCurrentWindow());
    std::unique_ptr<CDdeClient> none = CreateDdeClient();
    EXPECT_FALSE(CBrowserLink(*none, desktop).OpenInCurrentWindow("u"));
    EXPECT_FALSE(CBrowserLink(*none, desktop).CanOpenInCurrentWindow());
}

TEST_F(BrowserLinkTest, CurrentUrlIsTheFirstQuotedFieldOfTheWindowInfoOfTheFirstServiceThatAnswers) {
    dde.m_offered = {"nsshell WWW_GetWindowInfo"};
    const struct { std::optional<std::string> answer; const char* url; } cases[] = {
        {std::string("\"http://a/\",\"Title, with comma\"") + '\0' + "junk", "http://a/"},
        {"\"http://a/?x=1,2\",\"T\"", ""},
        {"", ""},
        {std::nullopt, ""},
    };
    for (const auto& c : cases) {
        dde.m_answers.clear();
        if (c.answer) dde.m_answers["nsshell WWW_GetWindowInfo -1"] = *c.answer;
        std::string url = "stale";
        link.GetCurrentUrl(url);
        EXPECT_EQ(url, c.url) << c.answer.value_or("(no answer)");
    }

    // The services are tried in the kind's order (no default browser: Netscape's).
    dde.m_log.clear();
    dde.m_offered.clear();
    std::string url;
    link.GetCurrentUrl(url);
    Install("webby.desktop", "webby %u");
    desktop.m_strXdgSettings = "webby.desktop";
    dde.m_offered = {"netscape WWW_GetWindowInfo"};
    dde.m_answers = {{"netscape WWW_GetWindowInfo -1", "\"http://n/\""}};
    link.GetCurrentUrl(url);
    EXPECT_EQ(url, "http://n/");
    const std::vector<std::string> expected = {
        "connect netscape WWW_GetWindowInfo", "connect iexplore WWW_GetWindowInfo", "connect nsshell WWW_GetWindowInfo",
        "connect iexplore WWW_GetWindowInfo", "connect netscape WWW_GetWindowInfo", "request -1 format 1 5000",
        "disconnect netscape WWW_GetWindowInfo"};
    EXPECT_EQ(dde.m_log, expected);

    dde.m_log.clear();
    dde.m_nInstance = 0;
    link.GetCurrentUrl(url);
    EXPECT_EQ(url, "");
    EXPECT_TRUE(dde.m_log.empty());
}

}  // namespace
