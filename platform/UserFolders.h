// The user's own folders as the desktop names them (the download folder of
// the XDG user directories), and the folder the story pages go to: one a web
// browser confined as a snap or a flatpak can read, which rules out hidden
// folders and the host's /tmp.
#pragma once

#include <string>

class CDesktopSystem;

// The download folder: XDG_DOWNLOAD_DIR from the environment, else from
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config/), ending with '/'.
// "" when neither names an absolute folder.
std::string DownloadFolder(const CDesktopSystem& system);

// Where the story pages are written, ending with '/': "Skimbolt/" in the
// download folder when that folder exists, is not the home folder itself
// and lies in no hidden folder (a flatpak browser is usually given the
// download folder, a snap browser reads every file of the home folder
// outside hidden folders); else "Skimbolt/" in the home folder. "" without
// a home folder.
std::string StoryPagesFolder(const CDesktopSystem& system);
