// Where the program's own read-only files (images, story page companions)
// lie: an installed copy next to the executable, or the source tree the
// program was built from.
#pragma once

#include <string>

// The folder holding images/ and pages/, ending with '/': $SKIMBOLT_RES_DIR
// when set; else the installed data folder (<prefix>/share/skimbolt/ for a
// program in <prefix>/bin/) when it exists; else the source tree's res/.
std::string ProgramFilesFolder();
