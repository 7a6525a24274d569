#include "ui/stories/StoryViewer.h"

#include <string>
#include <thread>

#include <wx/app.h>

#include "app/AppCore.h"
#include "app/Desktop.h"
#include "ui/stories/DisplayChoiceDialog.h"

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

bool ShowStory(CAppCore& core, const StoryItem& story, wxWindow* parent) {
    CStoryDesk& stories = core.Stories();
    auto display = std::make_shared<PendingDisplay>();
    if (!stories.WritePages(story, display->frameUrl)) return false;
    display->articleUrl = CStoryDesk::ArticleLink(story);
    // The look at the article's headers runs while the user chooses.
    if (display->articleUrl.empty()) display->checked = true;
    else StartFramingCheck(display, stories.FramingOptions());

    if (stories.AskWhereToShow()) {
        CDisplayChoiceDlg choice(parent, stories);
        if (choice.ShowModal() != wxID_OK) return true;
    }
    display->newWindow = stories.ShowInNewWindow();
    display->chosen = true;
    if (display->checked) Open(*display);
    return true;
}

void SetStoryBrowserSystems(CDdeClient* dde, const CDesktopSystem* desktop) {
    ReplacedSystems() = {dde, desktop};
}
