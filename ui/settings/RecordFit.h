// Whether a string setting fits config.txt: a record line longer than a line
// of the file is read back (599 characters) would come back cut short.
#pragma once

#include <string>

bool StringRecordFits(const std::string& name, const std::string& value);
