// ShowStory: the window side of viewing a story. Without a banner host the
// browser gets the story's own address. With one, the story's frame and
// summary pages are written and the browser gets the frame page, unless a
// short look at the article's response headers, made off the window thread,
// tells that the site refuses to be shown inside a frame: then the article
// is opened by itself. Where a browser can be asked to use its current
// window, the user may be asked which window to use.
#pragma once

#include "app/StoryTypes.h"

class CAppCore;
class wxWindow;

enum class StoryShown {
    Shown,      // handed to the browser (or on its way there)
    Cancelled,  // the user cancelled the question where to show it
    NotShown,   // nothing to show, the pages could not be written, or no browser could be started
};

// Only a story that was shown counts as read; the caller marks it.
StoryShown ShowStory(CAppCore& core, const StoryItem& story, wxWindow* parent);
