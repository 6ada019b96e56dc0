// The viewer (in progress): until it exists, a score named on the command line is dumped.
#include <cstdio>

#include "cli/Commands.h"

int RunViewer(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs(UsageText().c_str(), stderr);
        return 2;
    }
    return RunDump(CArgs(argv + 1, argv + argc));
}
