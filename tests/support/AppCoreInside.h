// CAppCoreInside: the application core's live objects, for the core's own
// tests (tests/app, tests/cli) that set up or inspect what no front end may
// reach. Window tests and front ends go through the core's desks.
#pragma once

#include "app/AppCore.h"

class CAppCoreInside {
public:
    static CNewsSettings& Settings(CAppCore& core) { return core.Settings(); }
    static CSourceCatalogue& Catalogue(CAppCore& core) { return core.Catalogue(); }
    static CStoryArchive& Archive(CAppCore& core) { return core.Archive(); }
    static CSourceHealth& Health(CAppCore& core) { return core.Health(); }
    static CStoryPages& StoryPages(CAppCore& core) { return core.StoryPages(); }
    static CNewsWatch* Scanner(CAppCore& core) { return core.Scanner(); }
};
