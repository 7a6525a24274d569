#include "ui/base/WebBrowser.h"

#include <memory>

#include <wx/app.h>

#include "app/Desktop.h"
#include "ui/base/UnopenedAddressDialog.h"

namespace {

struct BrowserSystems {
    CDdeClient* dde = nullptr;
    const CDesktopSystem* desktop = nullptr;
};

BrowserSystems& ReplacedSystems() {
    static BrowserSystems replaced;
    return replaced;
}

void ShowUnopened(const std::string& url, wxWindow* parent) {
    CUnopenedAddressDlg message(parent, url);
    message.ShowModal();
}

}  // namespace

CBrowserLink CurrentBrowser() {
    static const std::unique_ptr<CDdeClient> ownDde = CreateDdeClient();
    static const CDesktopSystem ownDesktop;
    const BrowserSystems& replaced = ReplacedSystems();
    return CBrowserLink(replaced.dde ? *replaced.dde : *ownDde, replaced.desktop ? *replaced.desktop : ownDesktop);
}

void SetBrowserSystems(CDdeClient* dde, const CDesktopSystem* desktop) { ReplacedSystems() = {dde, desktop}; }

bool OpenWebAddress(const std::string& url, wxWindow* parent) {
    // The opener's failure comes from another thread, maybe after the
    // parent window has gone: the message then stands on its own.
    const bool bStarted = CurrentBrowser().OpenUrl(url, [url] {
        if (wxTheApp) wxTheApp->CallAfter([url] { ShowUnopened(url, nullptr); });
    });
    if (!bStarted) ShowUnopened(url, parent);
    return bStarted;
}
