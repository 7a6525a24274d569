// Copies of damaged files kept beside them before the program writes the
// file anew: "<file>.damaged-SECONDS" (and "-2", "-3"... when that name is
// taken), so that nothing the user had in it is lost.
#pragma once

#include <string>
#include <string_view>

// Writes data (the damaged file's bytes as read) to a new copy beside path,
// owner read/write only, unless such a copy of the same bytes is there
// already. The name of the copy (without its folder), or "" when it could
// not be written.
std::string KeepDamagedCopyBeside(const std::string& path, std::string_view data);
