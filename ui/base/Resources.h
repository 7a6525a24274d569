// The program's images, found by their resource numbers: bitmap N is
// res/images/bitmap_N.png, icon N is res/images/icon_N.png (with
// icon_N_16.png as its small size when there is one).
#pragma once

#include <string>

#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/iconbndl.h>

// The folder the program's resource files are read from, ending with '/':
// $SKIMBOLT_RES_DIR when set, else the installed data folder next to the
// program, else the source tree's res/.
std::string ResourceDir();

// An empty bitmap or icon when the file is missing or unreadable.
wxBitmap LoadResourceBitmap(int id);
wxIcon LoadResourceIcon(int id);
// Every size of icon N that exists, for a window's caption and task list.
wxIconBundle LoadResourceIconBundle(int id);
