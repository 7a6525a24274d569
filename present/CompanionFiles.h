// The files the story pages link to (logo, "no frames" button, the small
// frame pages around the story) that come with the program and are copied
// into the data folder, where the pages expect them.
#pragma once

#include <string>
#include <vector>

// The names of the companion files.
const std::vector<std::string>& CompanionFileNames();

// The folder the program's copies of them lie in: pages/ of the program's
// files (ProgramFilesFolder: installed or the source tree), ending with '/'.
std::string CompanionSourceFolder();

// Copies every companion file that dataFolder lacks from fromFolder (mode
// 0600, created exclusively); a file already there is never replaced (an
// unchanged copy is made private), and a symbolic link of a companion's name
// is reported and left alone. A file that cannot be copied is reported as a
// diagnostic and left out. Result: how many files were copied.
int InstallCompanionFiles(const std::string& fromFolder, const std::string& dataFolder);
