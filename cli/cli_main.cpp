// skimbolt-cli: the headless commands alone, built without any user interface.
#include <cstdio>

#include "cli/Commands.h"

int main(int argc, char** argv) {
    if (auto status = RunHeadlessCommand(argc, argv)) return *status;
    std::fputs("skimbolt-cli: no command given; try --help\n", stderr);
    return 2;
}
