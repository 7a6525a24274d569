// FileProblem: a problem the program met with a file or page in this run (a
// failed save, a damaged or foreign file), as the front ends show it.
#pragma once

#include <string>

struct FileProblem {
    std::string kind;     // "cannot save", "cannot read", ...
    std::string subject;  // the file or page concerned
    std::string detail;
};
