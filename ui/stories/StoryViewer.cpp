#include "ui/stories/StoryViewer.h"

#include <string>
#include <thread>

#include <wx/app.h>

#include "app/AppCore.h"
#include "config/ProxySettings.h"
#include "net/FramingCheck.h"
#include "platform/DdeClient.h"
#include "platform/DesktopSystem.h"
#include "present/BrowserLink.h"
#include "present/HtmlEscaping.h"
#include "ui/stories/DisplayChoiceDialog.h"
#include "store/Story.h"

namespace {

struct BrowserSystems {
    CDdeClient* dde = nullptr;
    const CDesktopSystem* desktop = nullptr;
};

BrowserSystems& ReplacedSystems() {
    static BrowserSystems replaced;
    return replaced;
}

CBrowserLink CurrentBrowser() {
    static const std::unique_ptr<CDdeClient> ownDde = CreateDdeClient();
    static const CDesktopSystem ownDesktop;
    const BrowserSystems& replaced = ReplacedSystems();
    return CBrowserLink(replaced.dde ? *replaced.dde : *ownDde, replaced.desktop ? *replaced.desktop : ownDesktop);
}

// One story on its way to the browser. The framing check and the user's
// choice may end in either order; the page is opened when both are known.
// Only the window thread touches it.
struct PendingDisplay {
    std::string frameUrl;    // the frame page
    std::string articleUrl;  // the article itself, when it is a web link
    bool checked = false;    // the framing verdict is known
    FramingVerdict verdict = FramingVerdict::Unknown;
    bool chosen = false;     // the window choice is made
    bool newWindow = true;
};

void Open(const PendingDisplay& display) {
    const std::string& url =
        display.verdict == FramingVerdict::Forbidden && !display.articleUrl.empty() ? display.articleUrl : display.frameUrl;
    const CBrowserLink browser = CurrentBrowser();
    if (display.newWindow || !browser.OpenInCurrentWindow(url)) browser.LaunchBrowser(url);
}

FramingCheckOptions CheckOptions(CNewsSettings& settings) {
    const ProxySettings proxy = ReadProxySettings(settings);
    FramingCheckOptions options;
    if (proxy.useProxy && !proxy.server.empty()) {
        options.proxy = proxy.server + ":" + std::to_string(proxy.port);
        options.user = proxy.user;
        options.password = proxy.password;
    }
    return options;
}

void StartFramingCheck(const std::shared_ptr<PendingDisplay>& display, FramingCheckOptions options) {
    std::thread([display, url = display->articleUrl, options = std::move(options)] {
        const FramingVerdict verdict = CheckFraming(url, options);
        if (!wxTheApp) return;
        wxTheApp->CallAfter([display, verdict] {
            display->verdict = verdict;
            display->checked = true;
            if (display->chosen) Open(*display);
        });
    }).detach();
}

}  // namespace

bool ShowStory(CAppCore& core, std::unique_ptr<CStory> story, wxWindow* parent) {
    if (!story) return false;
    std::string framePath;
    if (!core.StoryPages().WritePages(*story, framePath)) return false;

    auto display = std::make_shared<PendingDisplay>();
    display->frameUrl = CStoryPages::PageUrl(framePath);
    display->articleUrl = WebLinkOnly(story->GetUrl());
    story.reset();
    // The look at the article's headers runs while the user chooses.
    if (display->articleUrl.empty()) display->checked = true;
    else StartFramingCheck(display, CheckOptions(core.Settings()));

    CNewsSettings& settings = core.Settings();
    if (settings.GetFlag(SETTING_BROWSER_DISPLAY_ASK) == 1) {
        CDisplayChoiceDlg choice(parent, settings);
        if (choice.ShowModal() != wxID_OK) return true;
    }
    display->newWindow = settings.GetFlag(SETTING_BROWSER_DISPLAY_NEW) == 1;
    display->chosen = true;
    if (display->checked) Open(*display);
    return true;
}

void SetStoryBrowserSystems(CDdeClient* dde, const CDesktopSystem* desktop) {
    ReplacedSystems() = {dde, desktop};
}
