#include "ui/stories/StoryViewer.h"

#include <memory>
#include <string>
#include <thread>

#include <wx/app.h>

#include "app/AppCore.h"
#include "app/Desktop.h"
#include "ui/base/WebBrowser.h"
#include "ui/stories/DisplayChoiceDialog.h"

namespace {

// One story on its way to the browser in its pages. The framing check and
// the user's choice may end in either order; the page is opened when both
// are known. Only the window thread touches it.
struct PendingDisplay {
    std::string frameUrl;    // the frame page
    std::string articleUrl;  // the article itself, when it is a web link
    bool checked = false;    // the framing verdict is known
    FramingVerdict verdict = FramingVerdict::Unknown;
    bool chosen = false;     // the window choice is made
    bool newWindow = true;
};

// The URL into the current window when that was chosen and a browser takes
// it there, else into a new one. False when no browser could be started.
bool Open(const std::string& url, bool newWindow, wxWindow* parent) {
    if (!newWindow && CurrentBrowser().OpenInCurrentWindow(url)) return true;
    return OpenWebAddress(url, parent);
}

bool Open(const PendingDisplay& display, wxWindow* parent) {
    const bool bArticle = display.verdict == FramingVerdict::Forbidden && !display.articleUrl.empty();
    return Open(bArticle ? display.articleUrl : display.frameUrl, display.newWindow, parent);
}

void StartFramingCheck(const std::shared_ptr<PendingDisplay>& display, FramingCheckOptions options) {
    std::thread([display, url = display->articleUrl, options = std::move(options)] {
        const FramingVerdict verdict = CheckFraming(url, options);
        if (!wxTheApp) return;
        wxTheApp->CallAfter([display, verdict] {
            display->verdict = verdict;
            display->checked = true;
            // The window that asked may be gone by now.
            if (display->chosen) Open(*display, nullptr);
        });
    }).detach();
}

}  // namespace

StoryShown ShowStory(CAppCore& core, const StoryItem& story, wxWindow* parent) {
    CStoryDesk& stories = core.Stories();
    // Without a browser that takes pages into its current window there is
    // nothing to ask: a new window it is.
    const bool bCurrentWindowPossible = CurrentBrowser().CanOpenInCurrentWindow();
    const std::string articleUrl = CStoryDesk::ArticleLink(story);

    auto display = std::make_shared<PendingDisplay>();
    if (stories.WritesStoryPages()) {
        if (!stories.WritePages(story, display->frameUrl)) return StoryShown::NotShown;
        display->articleUrl = articleUrl;
        // The look at the article's headers runs while the user chooses.
        if (display->articleUrl.empty()) display->checked = true;
        else StartFramingCheck(display, stories.FramingOptions(story));
    } else if (articleUrl.empty()) {
        return StoryShown::NotShown;
    }

    if (bCurrentWindowPossible && stories.AskWhereToShow()) {
        CDisplayChoiceDlg choice(parent, stories);
        if (choice.ShowModal() != wxID_OK) return StoryShown::Cancelled;
    }
    const bool bNewWindow = !bCurrentWindowPossible || stories.ShowInNewWindow();
    if (!stories.WritesStoryPages())
        return Open(articleUrl, bNewWindow, parent) ? StoryShown::Shown : StoryShown::NotShown;

    display->newWindow = bNewWindow;
    display->chosen = true;
    // Still waiting for the framing check: the browser gets the page when it ends.
    if (!display->checked) return StoryShown::Shown;
    return Open(*display, parent) ? StoryShown::Shown : StoryShown::NotShown;
}
