// The web browser as every window reaches it: the browser link over the
// process's own desktop and DDE client (which tests replace), and opening a
// web address with the fallbacks a desktop without a default browser needs.
#pragma once

#include <string>

class CBrowserLink;
class CDdeClient;
class CDesktopSystem;
class wxWindow;

// The browser link over the desktop and DDE client in use.
CBrowserLink CurrentBrowser();

// Replaces the desktop and DDE client the browser is reached through
// (tests); null restores the process's own. Both must outlive every use of
// the browser started while they are set.
void SetBrowserSystems(CDdeClient* dde, const CDesktopSystem* desktop);

// Opens the address in a new window of the default browser, else through
// the desktop's opener; when neither takes it, now or when the opener
// fails a moment later, a message shows the address to copy. False when
// it could not be opened at once (the message has been shown then).
bool OpenWebAddress(const std::string& url, wxWindow* parent);
