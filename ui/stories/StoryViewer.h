// ShowStory: the window side of viewing a story. Writes the story's frame
// and summary pages, asks where to show it when the user wants to be asked,
// and has the web browser open the frame page in a new or the current
// window. Many news sites refuse to be shown inside a frame: their article
// is opened by itself instead, as a short look at its response headers,
// made off the window thread, tells.
#pragma once

#include "app/StoryTypes.h"

class CAppCore;
class CDdeClient;
class CDesktopSystem;
class wxWindow;

// False when the pages could not be written (nothing is shown then); true
// otherwise, also when the user cancelled the display.
bool ShowStory(CAppCore& core, const StoryItem& story, wxWindow* parent);

// The desktop and DDE client the browser is reached through: the process's
// own unless replaced (tests); null restores the process's own. Both must
// outlive every story display started while they are set.
void SetStoryBrowserSystems(CDdeClient* dde, const CDesktopSystem* desktop);
